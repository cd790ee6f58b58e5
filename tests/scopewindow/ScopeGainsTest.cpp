// The gain and limit edits: written when left or on Enter, digits only, out-of-range
// values refused with a message naming the range, filled from the read-back; the
// generator's controls send nothing.
#include <QComboBox>
#include <QPushButton>

#include "scope/ScopeGains.h"
#include "tests/scopewindow/ScopeWindowFixture.h"

namespace ordalis::test {
namespace {

class GainsTest : public ScopeWindowTest {
protected:
    void Type(const char* edit, const char* text) {
        QLineEdit* e = Find<QLineEdit>(edit);
        e->clear();
        QTest::keyClicks(e, QString::fromLatin1(text));
    }
    void Leave(const char* edit) { window->Gains().EditExit(Index(edit)); }
    static int Index(const char* edit) {
        for (int i = 0; i < 10; ++i)
            if (QByteArray(kGainEdits[static_cast<size_t>(i)].objectName) == edit) return i;
        return -1;
    }
};

TEST_F(GainsTest, LeavingWritesTheParameterAndEnterWritesAtOnce) {
    Show(1);
    drive.Take();
    Type("Edit11", "1200");
    Leave("Edit11");
    EXPECT_EQ(drive.Take(), (std::vector<std::string>{"write 70=1200"}));
    QLineEdit* cp = Find<QLineEdit>("Edit13");
    cp->clear();
    QTest::keyClicks(cp, "900");
    QTest::keyClick(cp, Qt::Key_Return);
    EXPECT_EQ(drive.Take(), (std::vector<std::string>{"write 0=900"}));
    Type("Edit18", "65535");
    Leave("Edit18");
    EXPECT_EQ(drive.Take(), (std::vector<std::string>{"write 134=65535"}));
    EXPECT_TRUE(prompt.messages.isEmpty());
}

TEST_F(GainsTest, OnlyDigitsCanBeTyped) {
    Show();
    for (const char* name : {"Edit9", "Edit15"}) {
        Type(name, "1a2-3.4 5");
        EXPECT_EQ(Find<QLineEdit>(name)->text(), "12345") << name;
    }
}

// Used to be sent as their low 16 bits (70000 as 4464) and re-sent at every exit.
TEST_F(GainsTest, OutOfRangeIsRefusedWithTheRange) {
    Show(1);
    drive.Take();
    struct Case {
        const char* edit;
        const char* text;
        const char* message;
    } cases[] = {
        {"Edit10", "70000", "70000 is out of range -32768…32767"},
        {"Edit12", "32768", "32768 is out of range -32768…32767"},
        {"Edit16", "70000", "70000 is out of range 0…65535"},
        {"Edit9", "", "'' is not a valid integer value"},
        {"Edit17", "99999999999", "'99999999999' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        prompt.messages.clear();
        Type(c.edit, c.text);
        Leave(c.edit);
        EXPECT_EQ(prompt.messages, QStringList{QString::fromUtf8(c.message)}) << c.edit;
        EXPECT_TRUE(drive.Take().empty()) << c.edit;
    }
}

TEST_F(GainsTest, FilledFromTheReadBackSignedAndUnsigned) {
    drive.mirror.SetI16(pid::Pp, -5);
    drive.mirror.SetI16(pid::Cp, 1200);
    drive.mirror.SetU16(pid::Res1Amplitude, 40000);
    drive.mirror.SetModelName("HV120");
    drive.mirror.SetI32(pid::EncoderLines, 1000);
    window->FillScopeGains();
    EXPECT_EQ(Find<QLineEdit>("Edit9")->text(), "-5");
    EXPECT_EQ(Find<QLineEdit>("Edit13")->text(), "1200");
    EXPECT_EQ(Find<QLineEdit>("Edit15")->text(), "40000");
    EXPECT_DOUBLE_EQ(window->Capture().Info()[4].Factor, 6.0 / 4000) << "HV120: velocity in RPM";
}

TEST_F(GainsTest, GeneratorSendsNothingAndItsCombosRefillOnShow) {
    Show(0);
    drive.Take();
    Find<QComboBox>("ComboBox2")->setCurrentIndex(1);
    Find<QPushButton>("Button2")->click();
    Find<QPushButton>("Button3")->click();
    EXPECT_TRUE(drive.Take().empty());
    window->hide();
    Show(1);
    EXPECT_EQ(Find<QComboBox>("ComboBox2")->currentText(), "Trapezoid");
    EXPECT_EQ(Find<QComboBox>("ComboBox1")->itemText(2), "Torque");
}

}  // namespace
}  // namespace ordalis::test
