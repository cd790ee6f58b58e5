// The status monitor: decoding the polled parameters into its indicators, the two
// buttons' writes, and the poll list it asks for while visible.
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include "dialogs/DipSwitchPicture.h"
#include "dialogs/Led.h"
#include "dialogs/StatusMonitorWindow.h"
#include "tests/dialogs/DialogFixture.h"

namespace ordalis::test {
namespace {

class StatusMonitorTest : public DialogTest {
protected:
    StatusMonitorWindow window{drive, nullptr};

    // Red rows of the fault column, top to bottom.
    std::string RedFaults() const {
        std::string s;
        for (int i = 0; i < StatusMonitorWindow::kFaultRows; ++i)
            s += window.FaultLed(i)->Color() == Led::kRed ? '1' : '0';
        return s;
    }
    std::string Columns() const {
        std::string s;
        for (int c = 1; c <= 8; ++c) s += window.Switches()->ColumnOn(c) ? '1' : '0';
        return s;
    }
    std::string GreenInputs() const {
        std::string s;
        for (int i = 0; i < 3; ++i) s += window.InputLed(i)->Color() == Led::kGreen ? '1' : '0';
        return s;
    }
    void Refresh(uint16_t status, uint16_t code = 0, uint16_t inputs = 0) {
        session.mirror.SetU16(pid::StatusWord, status);
        session.mirror.SetU16(pid::FaultCode, code);
        session.mirror.SetU16(pid::Inputs, inputs);
        window.UpdateStatus();
    }
};

TEST_F(StatusMonitorTest, FaultWordLightsItsRows) {
    // Rows: over-current, under-voltage, over-voltage, phase, EEPROM, external disable,
    // software disable, over-temperature, other.
    const std::pair<uint16_t, const char*> cases[] = {
        {0x0000, "000000000"}, {0x0001, "100000000"}, {0x0002, "010000000"}, {0x0004, "001000000"},
        {0x0018, "000100000"}, {0x0008, "000100000"}, {0x0010, "000100000"}, {0x0100, "000010000"},
        {0x0020, "000001000"}, {0x0040, "000000100"}, {0x0080, "000000010"}, {0x0800, "000000001"},
        {0xF600, "000000000"},  // bits 9, 10, 12..15 are not shown
    };
    for (const auto& [status, red] : cases) {
        SCOPED_TRACE(status);
        Refresh(status, 0xAB);
        EXPECT_EQ(RedFaults(), red);
    }
}

TEST_F(StatusMonitorTest, OtherFaultCodeShownOnlyWithItsBit) {
    // Design state until the first refresh: green lamps, switches drawn off.
    EXPECT_EQ(RedFaults(), "000000000");
    EXPECT_EQ(GreenInputs(), "111");
    EXPECT_EQ(Columns(), "00000000");
    Refresh(0x0800, 0x00AB);
    EXPECT_EQ(window.FaultCodeLabel()->text(), "00AB");
    Refresh(0x0800, 0x1F2E);
    EXPECT_EQ(window.FaultCodeLabel()->text(), "1F2E");
    Refresh(0x0001, 0x00AB);
    EXPECT_EQ(window.FaultCodeLabel()->text(), "");
}

TEST_F(StatusMonitorTest, SwitchesInputsVoltageAndTemperature) {
    struct Case {
        uint16_t inputs;
        const char* columns;  // switch 1..8
        const char* green;    // pulse, direction, enable
    };
    const Case cases[] = {
        {0x0000, "00000000", "000"}, {0x07FF, "11111111", "111"}, {0x0001, "00001000", "000"},
        {0x0020, "10000000", "000"}, {0x0010, "00010000", "000"}, {0x0080, "00100000", "000"},
        {0x0008, "00000001", "000"}, {0x0100, "00000000", "100"}, {0x0200, "00000000", "010"},
        {0x0400, "00000000", "001"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.inputs);
        Refresh(0, 0, c.inputs);
        EXPECT_EQ(Columns(), c.columns);
        EXPECT_EQ(GreenInputs(), c.green);
    }
    const std::tuple<uint16_t, uint16_t, const char*, const char*> values[] = {
        {2400, 350, "24", "35"}, {2456, 0xFFE7, "24.56", "-2.5"}, {65535, 0, "655.35", "0"}};
    for (const auto& [volts, temp, shownVolts, shownTemp] : values) {
        session.mirror.SetU16(pid::BusVoltage, volts);
        session.mirror.SetU16(pid::Temperature, temp);
        window.UpdateStatus();
        EXPECT_EQ(window.VoltageBox()->text(), shownVolts);
        EXPECT_EQ(window.TemperatureBox()->text(), shownTemp);
    }
}

TEST_F(StatusMonitorTest, FreeMotorKeepsTheOtherBitsAndClearAlwaysWrites) {
    Show(window);
    session.mirror.SetU16(pid::StatusWord, 0x0001);
    auto* free = window.findChild<QPushButton*>("Button2");
    auto* clear = window.findChild<QPushButton*>("Button3");
    QTest::mouseClick(free, Qt::LeftButton);
    Run(10);
    EXPECT_EQ(Sent(), Frames{"D137=65"});  // 0x0041
    QTest::mouseClick(clear, Qt::LeftButton);
    Run(10);
    QTest::mouseClick(clear, Qt::LeftButton);
    Run(10);
    EXPECT_EQ(Sent(), (Frames{"D137=0", "D137=0"}));
    // The lamps wait for the drive's word: no refresh came yet.
    EXPECT_EQ(RedFaults(), "000000000");
}

TEST_F(StatusMonitorTest, PollsItsListOnlyWhileVisibleAndClosingOnlyHides) {
    drive.RdErrorIntvalTimer();
    Run(30);
    EXPECT_EQ(Sent(), (Frames{"C137", "C138"}));
    Show(window);
    drive.RdErrorIntvalTimer();
    Run(30);
    EXPECT_EQ(Sent(), (Frames{"C20", "C151", "C139", "C137", "C138"}));
    window.close();
    EXPECT_TRUE(window.isHidden());
    drive.RdErrorIntvalTimer();
    Run(30);
    EXPECT_EQ(Sent(), (Frames{"C137", "C138"}));
}

TEST_F(StatusMonitorTest, CaptionsFollowTheLanguageAtTheNextShowing) {
    Show(window);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("状态监视"));
    EXPECT_EQ(window.findChild<QLabel*>("Label1")->text(), QString::fromUtf8("拔码开关状态："));
    EXPECT_EQ(window.findChild<QPushButton*>("Button1")->text(), QString::fromUtf8("关闭："));
    window.hide();
    English();
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("状态监视"));
    Show(window);
    EXPECT_EQ(window.windowTitle(), "Status monitor");
    EXPECT_EQ(window.findChild<QLabel*>("Label10")->text(), QString::fromUtf8("Software disable："));
    EXPECT_EQ(window.findChild<QLabel*>("Label18")->text(), QString::fromUtf8("OverTemp："));
    EXPECT_EQ(window.findChild<QGroupBox*>("GroupBox1")->title(), "Alarm");
    EXPECT_EQ(window.findChild<QPushButton*>("Button2")->text(), "Free Motor");
}

}  // namespace
}  // namespace ordalis::test
