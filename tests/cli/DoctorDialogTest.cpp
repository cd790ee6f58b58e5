// Tools > Connection doctor in the program: the menu item opens the dialog, which runs
// the doctor on a port object of its own and shows the findings in the program's language.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/DoctorDialog.h"
#include "core/Session.h"
#include "link/qt/QtSerialPort.h"
#include "link/qt/QtTimers.h"
#include "tests/simsupport/RunUntil.h"
#include "tests/simsupport/SimProcess.h"
#include "tests/uisupport/RecordingUiPrompt.h"

namespace ordalis {
namespace {

class DoctorDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.Start()) << sim.Output();
        QFile cfg(dir.filePath("cfg.ini"));
        ASSERT_TRUE(cfg.open(QIODevice::WriteOnly));
        cfg.write("[ports]\r\nCOM2=" + QByteArray::fromStdString(sim.LinkPath()) + "\r\n");
        cfg.close();
        programPort.SetPortMap(PortMap::FromIni(cfg.fileName()));
    }
    QString Cfg() const { return dir.filePath("cfg.ini"); }
    void RunOn(DoctorDialog& d, const QString& port) {
        auto* combo = d.findChild<QComboBox*>("DoctorPort");
        combo->setCurrentIndex(combo->findData(port));
        d.findChild<QPushButton*>("DoctorRun")->click();
        ASSERT_TRUE(simtest::RunUntil([&] { return !d.IsRunning(); }, std::chrono::seconds(60)));
    }

    testing::SimProcess sim{{"--drive", "2:LQ340", "--param", "2:53=57600"}};
    QTemporaryDir dir;
    QtTimerFactory timers;
    test::RecordingUiPrompt prompt;
    QtSerialPort programPort;
    Session program{programPort, timers, prompt, 1};
};

TEST_F(DoctorDialogTest, FindsTheDriveAndConcludesInTheProgramsLanguage) {
    for (uint8_t language : {uint8_t{1}, uint8_t{0}}) {
        SCOPED_TRACE(language);
        program.settings.LanguageIndex = language;
        DoctorDialog d(program, prompt, Cfg());
        EXPECT_EQ(d.findChild<QComboBox*>("DoctorPort")->itemText(1),
                  "COM2  (" + QString::fromStdString(sim.LinkPath()) + ")");
        RunOn(d, "COM2");
        // For looking at the dialog: ORDALIS_SHOT_DIR=/some/folder keeps a picture per language.
        if (const QString shots = qEnvironmentVariable("ORDALIS_SHOT_DIR"); !shots.isEmpty())
            d.grab().save(shots + QStringLiteral("/doctor-%1.png").arg(language == 1 ? "en" : "zh"));
        const QString report = d.Report();
        if (language == 1) {
            EXPECT_EQ(d.windowTitle(), "Connection doctor");
            EXPECT_TRUE(report.contains("✔ Address 2: drive LQ340 answers at 57600 baud.")) << report.toStdString();
            EXPECT_TRUE(report.trimmed().split('\n').last().startsWith("✔ Drive at address 2 answers at 57600"))
                << report.toStdString();
        } else {
            EXPECT_EQ(d.windowTitle(), QString::fromUtf8("连接诊断"));
            EXPECT_TRUE(report.contains(QString::fromUtf8("✔ 地址 2:驱动器 LQ340 以 57600 bps 应答。")))
                << report.toStdString();
        }
    }
}

// The program connected through the port: the doctor leaves the port to it.
TEST_F(DoctorDialogTest, LeavesThePortToTheProgramsConnection) {
    program.settings.LanguageIndex = 1;
    programPort.SetCommName("COM2");
    ASSERT_EQ(programPort.Open(), PortOpenError::None);
    DoctorDialog d(program, prompt, Cfg());
    RunOn(d, "COM2");
    EXPECT_TRUE(d.Report().contains("This program is connected through COM2: the bus was not scanned"))
        << d.Report().toStdString();
    EXPECT_TRUE(programPort.IsOpen());
    EXPECT_FALSE(d.Report().contains("Address 2")) << d.Report().toStdString();
}

}  // namespace
}  // namespace ordalis

int main(int argc, char** argv) {
    // Test discovery runs without a display too.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
