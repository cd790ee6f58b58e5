// The anti-resonance window over the real session and link: speed arithmetic, what a
// showing fills in, the generator switch, the scale, model-dependent enabling and the
// one-write-in-flight rule with its completions.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "dialogs/AntiResonanceSpeed.h"
#include "dialogs/AntiResonanceWindow.h"
#include "tests/antires/DriveWindowFixture.h"

namespace ordalis::test {
namespace {

TEST(AntiResonanceSpeed, ConversionsBothWays) {
    struct Case {
        int rpm;
        bool reverse;
        int32_t drive;
    };
    for (const Case c : {Case{300, false, 20000}, Case{300, true, -20000}, Case{100, false, 6667},
                         Case{600, true, -40000}, Case{60, false, 4000}, Case{0, true, 0}})
        EXPECT_EQ(antires::SpeedToDrive(c.rpm, c.reverse), c.drive) << c.rpm << (c.reverse ? " reverse" : "");

    struct Back {
        int32_t drive;
        int rpm;
        bool reverse;
    };
    // 6667 x 60 / 4000 = 100.005: rounded up to 101, towards zero for a negative value.
    for (const Back b : {Back{6667, 101, false}, Back{-6667, 100, true}, Back{20000, 300, false},
                         Back{-40000, 600, true}, Back{0, 0, false}, Back{1, 1, false}, Back{-1, 0, false}}) {
        const antires::GeneratorSpeed s = antires::SpeedFromDrive(b.drive);
        EXPECT_EQ(s.rpm, b.rpm) << b.drive;
        EXPECT_EQ(s.reverse, b.reverse) << b.drive;
    }
    EXPECT_EQ(antires::SpeedText(300), QStringLiteral("300 RPM\n = 5 RPS"));
    EXPECT_EQ(antires::SpeedText(100), QStringLiteral("100 RPM\n = 1.67 RPS"));
    EXPECT_EQ(antires::SpeedText(90), QStringLiteral("90 RPM\n = 1.5 RPS"));
}

class AntiResonance : public DriveWindowTest {
protected:
    AntiResonanceWindow* win = nullptr;

    AntiResonance() {
        session.mirror.SetModelName("LQ340");
        session.mirror.SetI16(pid::WorkMode, WorkModeGeneratorOff);
        win = static_cast<AntiResonanceWindow*>(CreateAntiResonanceWindow(drive, &owner));
    }
    void Show(int32_t speed, bool generatorOn) {
        session.mirror.SetI32(pid::GeneratorSpeed, speed);
        session.mirror.SetI16(pid::WorkMode, generatorOn ? WorkModeGeneratorOn : WorkModeGeneratorOff);
        win->hide();
        win->show();
        QApplication::processEvents();
    }
    QSlider* Slider(int n) const { return Find<QSlider>(win, ("RzTrackBar" + std::to_string(n)).c_str()); }
    QLineEdit* Edit(int n) const { return Find<QLineEdit>(win, ("Edit" + std::to_string(n)).c_str()); }
    QCheckBox* Generator() const { return Find<QCheckBox>(win, "CheckBox1"); }
    QCheckBox* Reverse() const { return Find<QCheckBox>(win, "CheckBox2"); }
    QComboBox* Scale() const { return Find<QComboBox>(win, "ComboBox1"); }
    QString SpeedText() const { return Find<QLabel>(win, "Label7")->text(); }
    // Types a scale into the combo box and presses Enter.
    void TypeScale(const QString& text) {
        QLineEdit* line = Scale()->lineEdit();
        line->setFocus();
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
        QApplication::processEvents();
    }
};

TEST_F(AntiResonance, SpeedSliderWritesTheSignedSpeed) {
    Show(0, true);
    Slider(5)->setValue(300);
    EXPECT_EQ(Sent(), Sends{"D154=20000"});
    EXPECT_EQ(SpeedText(), QStringLiteral("300 RPM\n = 5 RPS"));
    Answer();
    Reverse()->click();
    EXPECT_EQ(Sent(), Sends{"D154=-20000"});
    Answer();
    Slider(5)->setValue(100);
    EXPECT_EQ(Sent(), Sends{"D154=-6667"});
    Answer();
    EXPECT_EQ(scripted.params[pid::GeneratorSpeed], -6667);
    EXPECT_FALSE(win->WriteInFlight());
}

TEST_F(AntiResonance, ShowingReadsTheSpeedBackAndPicksTheScale) {
    struct Case {
        int32_t stored;
        int slider;
        bool reverse;
        int scale;
        const char* text;
    };
    const Case cases[] = {
        {6667, 101, false, 300, "101 RPM"},   {-6667, 100, true, 300, "100 RPM"},
        {40000, 600, false, 600, "600 RPM"},  {46667, 701, false, 1200, "701 RPM"},
        {-200000, 3000, true, 3000, "3000 RPM"},
        // Above the largest scale: the slider at its end, the text with the true speed.
        {300000, 3500, false, 3500, "4500 RPM"},
    };
    for (const Case& c : cases) {
        Show(c.stored, true);
        EXPECT_EQ(Slider(5)->value(), c.slider) << c.stored;
        EXPECT_EQ(Slider(5)->maximum(), c.scale) << c.stored;
        EXPECT_EQ(Slider(5)->tickInterval(), c.scale / 10) << c.stored;
        EXPECT_EQ(Scale()->currentText(), QString::number(c.scale)) << c.stored;
        EXPECT_EQ(Reverse()->isChecked(), c.reverse) << c.stored;
        EXPECT_TRUE(SpeedText().startsWith(QString::fromLatin1(c.text))) << SpeedText().toStdString();
    }
    EXPECT_EQ(Sent(), Sends{});
}

TEST_F(AntiResonance, SpeedAboveTheScalesIsNotRewrittenByALaterCompletion) {
    session.mirror.SetU16(pid::Res1Amplitude, 5);
    Show(300000, true);
    Slider(1)->setValue(6);
    Answer();
    EXPECT_EQ(Sent(), Sends{"D131=6"});
    EXPECT_FALSE(scripted.Waiting());
    EXPECT_EQ(session.mirror.GetI32(pid::GeneratorSpeed), 300000);
}

TEST_F(AntiResonance, GeneratorSwitchSendsSpeedAndWorkModeInOneList) {
    Show(-40000, false);
    EXPECT_FALSE(Slider(5)->isEnabled());
    EXPECT_FALSE(drive.GeneratorRunning());
    Generator()->click();
    AnswerAll();
    EXPECT_EQ(Sent(), (Sends{"D154=-40000", "D160=14"}));
    EXPECT_TRUE(Slider(5)->isEnabled());
    EXPECT_TRUE(Reverse()->isEnabled());
    EXPECT_TRUE(drive.GeneratorRunning());

    Generator()->click();
    AnswerAll();
    EXPECT_EQ(Sent(), (Sends{"D154=0", "D160=23"}));
    EXPECT_FALSE(Slider(5)->isEnabled());
    EXPECT_FALSE(Scale()->isEnabled());
    EXPECT_FALSE(drive.GeneratorRunning());
    EXPECT_EQ(scripted.params[pid::WorkMode], WorkModeGeneratorOff);
}

TEST_F(AntiResonance, GeneratorSwitchIsNotHeldBackByASliderWrite) {
    Show(20000, true);
    Slider(1)->setValue(100);
    EXPECT_EQ(Sent(), Sends{"D131=100"});
    Generator()->click();  // the Lev2Queue is busy: the switch goes out after the answer
    EXPECT_FALSE(win->WriteInFlight());
    Answer();
    AnswerAll();
    EXPECT_EQ(Sent(), (Sends{"D154=0", "D160=23"}));
    EXPECT_FALSE(drive.GeneratorRunning());
}

TEST_F(AntiResonance, ChoosingALowerScaleMovesTheSliderAndWritesTheLowerSpeed) {
    Show(40000, true);
    ASSERT_EQ(Slider(5)->value(), 600);
    TypeScale(QStringLiteral("300"));
    EXPECT_EQ(Slider(5)->maximum(), 300);
    EXPECT_EQ(Slider(5)->value(), 300);
    EXPECT_EQ(Sent(), Sends{"D154=20000"});
    Answer();
    TypeScale(QStringLiteral("1200"));
    EXPECT_EQ(Slider(5)->maximum(), 1200);
    EXPECT_EQ(Slider(5)->tickInterval(), 120);
    EXPECT_EQ(Sent(), Sends{});
}

TEST_F(AntiResonance, ScaleThatIsNotAPositiveNumberIsRefusedWithOurMessage) {
    Show(40000, true);
    for (const char* text : {"abc", "-5", "0", "1.5"}) {
        prompt.messages.clear();
        TypeScale(QString::fromLatin1(text));
        ASSERT_EQ(prompt.messages.size(), 1) << text;
        EXPECT_TRUE(prompt.messages[0].contains(QString::fromLatin1(text))) << prompt.messages[0].toStdString();
        EXPECT_EQ(Slider(5)->maximum(), 600) << text;
        EXPECT_EQ(Slider(5)->value(), 600) << text;
        EXPECT_EQ(Scale()->currentText(), QStringLiteral("600")) << text;
    }
    EXPECT_EQ(Sent(), Sends{});
}

TEST_F(AntiResonance, ResonanceBoxesAndHelpOnlyForModelsWithCompensation) {
    struct Case {
        const char* model;
        bool enabled;
    };
    for (const Case c : {Case{"LQ220", true}, Case{"LQ340", true}, Case{"LQ560", true}, Case{"TR340", false},
                         Case{"TR560", false}, Case{"TR900", false}, Case{"HV120", false}}) {
        session.mirror.SetModelName(c.model);
        Show(0, false);
        EXPECT_EQ(Find<QGroupBox>(win, "GroupBox1")->isEnabled(), c.enabled) << c.model;
        EXPECT_EQ(Find<QGroupBox>(win, "GroupBox2")->isEnabled(), c.enabled) << c.model;
        EXPECT_EQ(Find<QPushButton>(win, "Button2")->isEnabled(), c.enabled) << c.model;
        EXPECT_TRUE(Generator()->isEnabled()) << c.model;
    }
}

// Used to: moves during a write were shown and never sent; the drive kept a value the
// slider no longer showed.
TEST_F(AntiResonance, FastSliderMovementSendsOneWritePerCompletionAndEndsAtTheFinalPosition) {
    Show(0, false);
    for (int v = 1000; v <= 10000; v += 1000) Slider(1)->setValue(v);
    EXPECT_EQ(Edit(1)->text(), QStringLiteral("10000"));
    EXPECT_EQ(Sent(), Sends{"D131=1000"});
    Answer();
    EXPECT_EQ(Sent(), Sends{"D131=10000"});
    Slider(2)->setValue(300);  // another slider while that one is on its way
    Slider(1)->setValue(12000);
    EXPECT_EQ(Edit(2)->text(), QStringLiteral("300"));
    Answer();
    EXPECT_EQ(Sent(), Sends{"D131=12000"});
    Answer();
    EXPECT_EQ(Sent(), Sends{"D132=300"});
    Answer();
    EXPECT_EQ(Sent(), Sends{});
    EXPECT_EQ(scripted.params[pid::Res1Amplitude], 12000);
    EXPECT_EQ(scripted.params[pid::Res1Phase], 300);
}

TEST_F(AntiResonance, KeysMoveTheSlidersByTheirTicks) {
    Show(0, true);
    Slider(4)->setFocus();
    QTest::keyClick(Slider(4), Qt::Key_PageUp);
    EXPECT_EQ(Edit(4)->text(), QStringLiteral("1024"));
    EXPECT_EQ(Sent(), Sends{"D134=1024"});
    Answer();
    Slider(5)->setFocus();
    QTest::keyClick(Slider(5), Qt::Key_PageUp);
    EXPECT_EQ(Sent(), Sends{"D154=2000"});  // 30 RPM, a tenth of the scale 300
}

// Used to: a refused write left the write-in-flight flag set and every slider dead,
// without a word.
TEST_F(AntiResonance, RefusedWriteIsReportedAndTheSlidersStayAlive) {
    struct Case {
        uint8_t code;  // 1: error answers until the retries are used up (132)
        const char* shown;
    };
    for (const Case c : {Case{5, "(code 5)"}, Case{1, "(code 132)"}}) {
        session.settings.LanguageIndex = 1;
        Show(0, false);
        prompt.messages.clear();
        Slider(3)->setValue(Slider(3)->value() + 100);
        ASSERT_EQ(Sent().size(), 1u);
        for (int i = 0; i < 10 && scripted.Waiting(); ++i) Answer(c.code);
        EXPECT_FALSE(win->WriteInFlight()) << int(c.code);
        ASSERT_EQ(prompt.messages.size(), 1) << int(c.code);
        EXPECT_TRUE(prompt.messages[0].contains(QStringLiteral("parameter 133"))) << prompt.messages[0].toStdString();
        EXPECT_TRUE(prompt.messages[0].contains(QString::fromLatin1(c.shown))) << prompt.messages[0].toStdString();
        Sent();
        Slider(3)->setValue(Slider(3)->value() + 1);
        EXPECT_EQ(Sent().size(), 1u) << int(c.code);
        Answer();
    }
}

TEST_F(AntiResonance, NoAnswerToASliderWriteOpensTheFailureDialog) {
    Show(0, true);
    Slider(5)->setValue(60);
    EXPECT_EQ(Sent(), Sends{"D154=4000"});
    Silence();
    EXPECT_EQ(linkLost, 1);
    EXPECT_FALSE(win->WriteInFlight());
}

TEST_F(AntiResonance, HelpButtonOpensOneHelpWindow) {
    auto* help = new QWidget(&owner, Qt::Window);
    help->setObjectName(QStringLiteral("TForm17"));
    Show(0, false);
    Find<QPushButton>(win, "Button2")->click();
    Find<QPushButton>(win, "Button2")->click();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(win->findChildren<QWidget*>(QStringLiteral("TForm17")).size(), 0);
}

TEST_F(AntiResonance, CaptionsFollowTheLanguageAtTheNextShowing) {
    Show(0, false);
    EXPECT_EQ(win->windowTitle(), QString::fromUtf8("共振抑制"));
    EXPECT_EQ(Generator()->text(), QString::fromUtf8("使能内部转速"));
    session.settings.LanguageIndex = 1;
    Show(0, false);
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Anti_Resonance"));
    EXPECT_EQ(Find<QGroupBox>(win, "GroupBox2")->title(),
              QStringLiteral("Second resonance region inhibition (motor speed in 2 revolutions / sec) "));
    EXPECT_EQ(Find<QLabel>(win, "Label8")->text(), QStringLiteral("RPM"));
    EXPECT_EQ(win->size(), QSize(517, 361));
}

}  // namespace
}  // namespace ordalis::test
