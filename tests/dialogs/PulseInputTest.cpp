// The pulse input window: filling from the mirror without writing, the writes of each
// control with the other bits of parameter 99 kept, the smoothing time's conversion and
// messages, and the controls FeatureLevel locks.
#include <QCheckBox>
#include <QRadioButton>

#include "core/WriteTexts.h"
#include "dialogs/PulseInputWindow.h"
#include "tests/dialogs/DialogFixture.h"

namespace ordalis::test {
namespace {

class PulseInputTest : public DialogTest {
protected:
    PulseInputWindow window{drive, nullptr};

    void Load(uint16_t mode, uint16_t options, uint16_t smoothing) {
        session.mirror.SetU16(pid::PulseMode, mode);
        session.mirror.SetU16(pid::PulseOptions, options);
        session.mirror.SetU16(pid::Smoothing, smoothing);
    }
    // Which of RadioButton1..7 are checked.
    std::string Radios() const {
        std::string s;
        for (int i = 0; i < 7; ++i) s += window.Radio(i)->isChecked() ? '1' : '0';
        return s;
    }
};

TEST_F(PulseInputTest, ShowingFillsTheControlsAndWritesNothing) {
    struct Case {
        uint16_t mode, options, smoothing;
        const char* radios;
        bool micro, smooth;
        const char* time;
    };
    const Case cases[] = {
        {2, 0x000C, 35, "1000101", false, false, "3.5"}, {1, 0x0003, 40, "0101010", true, true, "4"},
        {0, 0x0000, 0, "0011010", false, false, "0"},    {5, 0x0006, 65535, "1000110", false, true, "6553.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.radios);
        Load(c.mode, c.options, c.smoothing);
        Show(window);
        Run(20);
        EXPECT_EQ(Radios(), c.radios);
        EXPECT_EQ(window.Check(0)->isChecked(), c.micro);
        EXPECT_EQ(window.Check(1)->isChecked(), c.smooth);
        EXPECT_EQ(window.SmoothingBox()->isEnabled(), c.smooth);
        EXPECT_EQ(window.SmoothingBox()->text(), c.time);
        EXPECT_TRUE(Sent().empty());
        window.hide();
    }
}

TEST_F(PulseInputTest, EachChoiceWritesItsParameterKeepingTheOtherBits) {
    Load(2, 0x0003, 10);
    Show(window);
    Click(window.Radio(4));  // falling edge
    Click(window.Radio(6));  // low level
    Click(window.Radio(3));  // rising edge
    Click(window.Radio(1));  // CW&CCW
    Click(window.Radio(2));  // quadrature
    Click(window.Radio(2));  // already chosen
    EXPECT_EQ(Sent(), (Frames{"D99=7", "D99=15", "D99=11", "D97=1", "D97=0"}));
    EXPECT_EQ(session.mirror.GetU16(pid::PulseOptions), 0x000B);
}

TEST_F(PulseInputTest, AReadBackFillsTheHiddenWindowWithoutWriting) {
    Load(1, 0x000C, 22);
    emit drive.DriveReady("LQ340");
    EXPECT_TRUE(window.isHidden());
    EXPECT_EQ(Radios(), "0100101");
    EXPECT_EQ(window.SmoothingBox()->text(), "2.2");
    Load(0, 0x0000, 22);
    emit drive.DriveReady("HV120");  // not a drive with a pulse input
    EXPECT_EQ(Radios(), "0100101");
    Run(20);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(PulseInputTest, SmoothingTimeConvertsTiesToEvenAndChecksItsText) {
    Load(2, 0x0002, 10);
    Show(window);
    struct Case {
        const char* typed;
        Frames sent;
        QString message;
    };
    const Case cases[] = {
        {"3.5", {"D98=35"}, {}},
        {"3.5", {}, {}},  // unchanged: nothing sent
        {"2.25", {"D98=22"}, {}},
        {"2.2", {}, {}},
        {"2.75", {"D98=28"}, {}},
        {"6553.5", {"D98=65535"}, {}},
        {"6553.6", {}, "The value must be between 0 and 6553.5!"},
        {"", {}, "'' is not a valid number"},
        {"1.2.3", {}, "'1.2.3' is not a valid number"},
        {"7a", {"D98=70"}, {}},  // the letter never reaches the box
    };
    English();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        Enter(window.SmoothingBox(), c.typed);
        EXPECT_EQ(Sent(), c.sent);
        EXPECT_EQ(Messages(), c.message.isEmpty() ? QStringList{} : QStringList{c.message});
    }
    // Leaving the box writes as Enter does.
    TypeAndLeave(window.SmoothingBox(), "1");
    EXPECT_EQ(Sent(), Frames{"D98=10"});
}

TEST_F(PulseInputTest, FeatureLevelLocksMicroStepAndSmoothingSwitches) {
    for (const int level : {1, 0}) {
        SCOPED_TRACE(level);
        PulseInputWindow w(drive, nullptr, level);
        Show(w);
        EXPECT_EQ(w.Check(0)->isVisible(), level == 0);
        EXPECT_EQ(w.Check(0)->isEnabled(), level == 0);
        EXPECT_TRUE(w.Check(1)->isVisible());
        EXPECT_EQ(w.Check(1)->isEnabled(), level == 0);
    }
    // Unlocked, the two boxes write their bits and the time box follows smoothing.
    session.mirror.SetU16(pid::PulseOptions, 0x0008);
    PulseInputWindow w(drive, nullptr, 0);
    Show(w);
    Sent();
    Click(w.Check(1));
    EXPECT_TRUE(w.SmoothingBox()->isEnabled());
    Click(w.Check(0));
    Click(w.Check(1));
    EXPECT_FALSE(w.SmoothingBox()->isEnabled());
    EXPECT_EQ(Sent(), (Frames{"D99=10", "D99=11", "D99=9"}));
}

TEST_F(PulseInputTest, ARefusedChoiceIsToldAndTheDriveValueShownAgain) {
    bus.Find(1)->refuseWriteId = pid::PulseOptions;
    bus.Find(1)->refuseWriteCode = 6;
    bus.Find(1)->values[pid::PulseOptions] = {0x03, 0x00};
    Load(2, 0x0003, 10);
    Show(window);
    Click(window.Radio(4));
    Run(50);
    EXPECT_EQ(Sent(), (Frames{"D99=7", "C99"}));
    EXPECT_EQ(Messages(), QStringList{WriteRefusedText(0, pid::PulseOptions, 6)});
    EXPECT_EQ(session.mirror.GetU16(pid::PulseOptions), 0x0003);
    EXPECT_TRUE(window.Radio(3)->isChecked());  // rising edge again
    EXPECT_TRUE(Sent().empty());                 // putting the control back wrote nothing
}

}  // namespace
}  // namespace ordalis::test
