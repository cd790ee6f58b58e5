// The oscilloscope window: texts in both languages, the set-up sent when shown, channel
// buttons, start without channels, the picture of a capture (resized with the window),
// the demonstration plot, the status bar, cursors and export.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QShowEvent>
#include <QTemporaryDir>
#include <QtTest/qtestspontaneevent.h>

#include "scope/ScopePicture.h"
#include "tests/scopewindow/ScopeWindowFixture.h"

namespace ordalis::test {
namespace {

using Log = std::vector<std::string>;

TEST_F(ScopeWindowTest, TextsInBothLanguagesAndTheSetUpWhenShown) {
    struct Case {
        uint8_t lang;
        const char *caption, *label7, *label12, *button10, *edit3, *edit5, *combo1;
    } cases[] = {
        {0, "示波器", "通道1：", "通道6：", "开始跟踪", "给定电流", "无", "位置"},
        {1, "Oscilloscope", "Chn_1:", "Chn_6:", "StartTrace", "Commanded Current", "None", "Position"},
    };
    for (const Case& c : cases) {
        window->hide();
        drive.Take();
        Show(c.lang);
        EXPECT_EQ(drive.Take(), Log{"run TraceSetupList"});
        EXPECT_EQ(window->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(Find<QLabel>("Label7")->text(), QString::fromUtf8(c.label7));
        EXPECT_EQ(Find<QLabel>("Label12")->text(), QString::fromUtf8(c.label12));
        EXPECT_EQ(Find<QPushButton>("Button10")->text(), QString::fromUtf8(c.button10));
        EXPECT_EQ(Find<QLineEdit>("Edit3")->text(), QString::fromUtf8(c.edit3));
        EXPECT_EQ(Find<QLineEdit>("Edit5")->text(), QString::fromUtf8(c.edit5));
        auto* combo = Find<QComboBox>("ComboBox1");
        EXPECT_EQ(combo->count(), 3);
        EXPECT_EQ(combo->currentText(), QString::fromUtf8(c.combo1));
    }
    EXPECT_EQ(Find<QLabel>("Label11")->palette().color(QPalette::WindowText), QColor(223, 18, 245));
    EXPECT_EQ(Find<QComboBox>("ComboBox3")->count(), 8);
}

TEST_F(ScopeWindowTest, ChannelButtonSendsTheChannelSelectionOrNot) {
    Show();
    drive.Take();
    prompt.onModal = [&](QDialog& d) {
        auto* categories = d.findChild<QListWidget*>(QStringLiteral("ListBox1"));
        categories->setCurrentRow(5);
        emit categories->itemClicked(categories->item(5));
        d.findChild<QListWidget*>(QStringLiteral("ListBox2"))->setCurrentRow(1);
        d.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        return 1;
    };
    Find<QPushButton>("Button6")->click();  // channel 3
    EXPECT_EQ(drive.trace.TraceVariable[2], 12);
    EXPECT_EQ(Find<QLineEdit>("Edit5")->text(), "母线电压");
    EXPECT_EQ(drive.Take(), Log{"run TraceVariableList2"});
    prompt.onModal = nullptr;  // cancel
    Find<QPushButton>("Button4")->click();
    EXPECT_EQ(drive.trace.TraceVariable[0], 1);
    EXPECT_EQ(drive.Take(), Log{"run TraceVariableList0"});
}

TEST_F(ScopeWindowTest, StartWithoutChannelsTellsAndSendsNothing) {
    Show(1);
    drive.Take();
    for (int16_t& c : drive.trace.TraceVariable) c = 0;
    Find<QPushButton>("Button10")->click();
    EXPECT_EQ(prompt.messages, QStringList{"Select at least one channel variable!"});
    EXPECT_TRUE(drive.Take().empty());
}

TEST_F(ScopeWindowTest, CapturePictureFollowsTheWindowSize) {
    Show(1);
    Find<QCheckBox>("CheckBox1")->setChecked(true);
    Capture();
    ScopePicture& pic = window->Picture();
    ASSERT_TRUE(pic.HasPlot());
    QWidget* image = Find<QWidget>("Image321");
    EXPECT_EQ(pic.Image().size(), image->size());
    EXPECT_TRUE(pic.Plot()->TakesPart(0));
    EXPECT_TRUE(pic.Plot()->TakesPart(1));
    EXPECT_FALSE(pic.Plot()->TakesPart(2));
    EXPECT_EQ(pic.Plot()->Traces[0].Name, "Current");
    EXPECT_EQ(pic.Plot()->Traces[1].Colour, 0xFF00FF00u);
    EXPECT_EQ(pic.Plot()->YAxes.size(), 1) << "two currents share one axis";
    EXPECT_TRUE(window->StatusText().startsWith("Drawn at")) << window->StatusText().toStdString();
    EXPECT_TRUE(window->StatusText().contains("500 samples"));

    // Used to keep the old picture size after a resize.
    window->resize(1000, 700);
    QApplication::processEvents();
    EXPECT_EQ(image->width(), pic.Image().width());
    EXPECT_EQ(image->height(), pic.Image().height());
    EXPECT_GT(pic.Image().width(), 900);
}

// Used to end without a picture and without a word.
TEST_F(ScopeWindowTest, SampleAnswerThatDoesNotFitIsNamedInTheStatusBar) {
    Show(1);
    CaptureSequence& c = window->Capture();
    ASSERT_EQ(c.Start(), StartResult::Started);
    drive.trace.TraceStatus = TraceStatusComplete;
    c.TraceStatusCheck1(Answered);
    const uint8_t odd[6] = {};
    c.SamplesDataDone(Answered, odd, 6);
    EXPECT_FALSE(window->Picture().HasPlot());
    EXPECT_EQ(window->StatusText(), "A sample answer of 6 bytes does not fit the channel set (4 bytes a set): capture ended");
}

// Used to stay on "Transferring samples n of N" for ever.
TEST_F(ScopeWindowTest, RefusedSampleRequestIsNamedInTheStatusBar) {
    Show(1);
    CaptureSequence& c = window->Capture();
    ASSERT_EQ(c.Start(), StartResult::Started);
    drive.trace.TraceStatus = TraceStatusComplete;
    c.TraceStatusCheck1(Answered);
    c.SamplesDataDone(Failed, nullptr, 0);
    EXPECT_EQ(window->StatusText(), "The drive refused a trace request (code 132): capture ended");
}

TEST_F(ScopeWindowTest, StatusBarFollowsTheCapture) {
    Show(1);
    CaptureSequence& c = window->Capture();
    ASSERT_EQ(c.Start(), StartResult::Started);
    EXPECT_TRUE(window->StatusText().startsWith("Waiting for the recorder")) << window->StatusText().toStdString();
    drive.trace.TraceStatus = TraceStatusComplete;
    c.TraceStatusCheck1(Answered);
    std::vector<uint8_t> sets(252, 0);
    c.SamplesDataDone(Answered, sets.data(), 252);
    EXPECT_TRUE(window->StatusText().startsWith("Transferring samples 63 of 500")) << window->StatusText().toStdString();
    Find<QPushButton>("Button11")->click();
    c.SendChannel(2, 12);
    EXPECT_EQ(window->StatusText(), "Trace settings changed: capture ended");
}

// Restoring the window from the task bar is a show event of the window system: it must not
// send the set-up again, which would end a running capture.
TEST_F(ScopeWindowTest, RestoreFromMinimisedKeepsTheCaptureRunning) {
    Show(1);
    CaptureSequence& c = window->Capture();
    ASSERT_EQ(c.Start(), StartResult::Started);
    drive.Take();
    QShowEvent restored;
    QSpontaneKeyEvent::setSpontaneous(&restored);
    qApp->notify(window.get(), &restored);  // sendEvent would clear the spontaneous flag
    EXPECT_EQ(c.Phase(), CapturePhase::Recording);
    EXPECT_TRUE(drive.Take().empty());
    EXPECT_TRUE(window->StatusText().startsWith("Waiting for the recorder")) << window->StatusText().toStdString();
}

TEST_F(ScopeWindowTest, DemonstrationPlotHasTwoAxes) {
    Show(1);
    window->findChild<QTabWidget*>()->setCurrentWidget(Find<QWidget>("TabSheet5"));
    Find<QPushButton>("Button1")->click();
    const scope::Oscope* plot = window->Picture().Plot();
    ASSERT_NE(plot, nullptr);
    EXPECT_EQ(plot->LeftAxes.size(), 1);
    EXPECT_EQ(plot->RightAxes.size(), 1);
    EXPECT_EQ(plot->LeftAxes[0]->Title, "电流 (单位 A)");
    EXPECT_EQ(plot->RightAxes[0]->Title, "频率 (单位 HZ)");
    EXPECT_EQ(plot->X.Values.size(), 100);
    EXPECT_TRUE(drive.Take().size() == 1) << "only the set-up of the show went out";
}

TEST_F(ScopeWindowTest, CursorsReadTimeValuesAndDifference) {
    Show(1);
    drive.trace.MaxSamples = 10;
    window->Capture().MaxSamplesDone(Answered);  // N = 10, 2.5 ms apart
    window->Capture().SetSingle(true);
    Capture();
    ScopePicture& pic = window->Picture();
    const scope::Oscope& plot = *pic.Plot();
    const auto pixelOf = [&](double t) {
        return plot.PlotArea.left + static_cast<int>(std::lround(plot.XAxisObject->ValueToPixel(t)));
    };
    pic.PlaceCursorAt(pixelOf(0.0025));
    pic.PlaceCursorAt(pixelOf(0.0125));
    EXPECT_EQ(pic.Cursor(0), 1);
    EXPECT_EQ(pic.Cursor(1), 5);
    const QStringList lines = pic.ReadOut();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "A: t=0.0025 s  1=1.01  2=2.01");
    EXPECT_EQ(lines[1], "B: t=0.0125 s  1=1.05  2=2.05");
    EXPECT_EQ(lines[2], "B-A: Δt=0.01 s  Δ1=0.04  Δ2=0.04");
    pic.PlaceCursorAt(pixelOf(0.0225));  // both placed: the nearer one (B) moves
    EXPECT_EQ(pic.Cursor(1), 9);
    pic.ClearCursors();
    EXPECT_TRUE(pic.ReadOut().isEmpty());
}

TEST_F(ScopeWindowTest, ExportWritesCsvAndPng) {
    Show(1);
    drive.mirror.SetModelName("LQ340");
    QTemporaryDir dir;
    window->AskSavePath = [&](const QString&, const QString& suffix) { return dir.filePath("out." + suffix); };
    Find<QPushButton>("SaveCsv")->click();
    EXPECT_EQ(window->StatusText(), "No capture yet");
    Capture();
    Find<QPushButton>("SaveCsv")->click();
    Find<QPushButton>("SavePng")->click();
    QFile csv(dir.filePath("out.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(csv.readAll());
    EXPECT_TRUE(text.contains("# Drive,LQ340,address 1\n"));
    EXPECT_TRUE(text.contains("# 1,Commanded Current,A,1,0.01\n"));
    EXPECT_TRUE(text.contains("Time (s),1 Commanded Current (A),2 Feedback Current (A)\n0,1,2\n"));
    QImage png(dir.filePath("out.png"));
    EXPECT_EQ(png.size(), Find<QWidget>("Image321")->size());
}

}  // namespace
}  // namespace ordalis::test
