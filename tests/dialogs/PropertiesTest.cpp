// The drive-properties text by model and language.
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include "dialogs/PropertiesWindow.h"
#include "tests/dialogs/DialogFixture.h"

namespace ordalis::test {
namespace {

class PropertiesTest : public DialogTest {
protected:
    void Drive(const char* model, int16_t serial, int16_t peak, int16_t cont) {
        session.mirror.SetModelName(model);
        session.mirror.SetI16(pid::SerialNumber, serial);
        session.mirror.SetI16(pid::PeakCurrent, peak);
        session.mirror.SetI16(pid::ContCurrent, cont);
    }
};

TEST_F(PropertiesTest, LinesByModelAndLanguage) {
    struct Case {
        const char* model;
        int16_t serial, peak, cont;
        uint8_t language;
        const char* text;
    };
    const Case cases[] = {
        {"LQ560", 1234, 420, 300, 1,
         "Modle：             LQ560\r\nSerial：            1234\r\nFirmware version： 100\r\n"
         "Hardware version： v10.0\r\nIpeak：            4.20A\r\nIcont：            3.00A"},
        {"LQ340", -1, 420, 300, 1,
         "Modle：             LQ340\r\nSerial：            -1\r\nFirmware version： 100\r\nHardware version： v10.0"},
        {"TR340", 7, 5, -150, 0,
         "型号：           TR340\r\n序列号：         7\r\n固件版本：       100\r\n硬件版本：       v10.0"},
        {"TR560", 7, 5, -150, 0,
         "型号：           TR560\r\n序列号：         7\r\n固件版本：       100\r\n硬件版本：       v10.0\r\n"
         "最大峰值电流： 0.05A\r\n最大持续电流： -1.50A"},
        {"", 0, 0, 0, 1,
         "Modle：             \r\nSerial：            0\r\nFirmware version： 100\r\nHardware version： v10.0\r\n"
         "Ipeak：            0.00A\r\nIcont：            0.00A"},
        {"lq340", 0, 0, 0, 1,  // compared case-sensitively
         "Modle：             lq340\r\nSerial：            0\r\nFirmware version： 100\r\nHardware version： v10.0\r\n"
         "Ipeak：            0.00A\r\nIcont：            0.00A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        Drive(c.model, c.serial, c.peak, c.cont);
        EXPECT_EQ(PropertiesText(session.mirror, c.language), QString::fromUtf8(c.text));
    }
}

TEST_F(PropertiesTest, EachShowingRebuildsTheTextInTheLanguage) {
    Drive("LQ560", 1, 100, 100);
    PropertiesWindow window(drive, nullptr);
    Show(window);
    EXPECT_EQ(window.windowTitle(), QString::fromUtf8("驱动器属性"));
    EXPECT_EQ(window.findChild<QLabel*>("Label2")->text(), QString::fromUtf8("驱动器属性:"));
    EXPECT_TRUE(window.PlainText().startsWith(QString::fromUtf8("型号：")));
    window.findChild<QPushButton*>("Button1")->click();
    EXPECT_TRUE(window.isHidden());
    English();
    Drive("LQ340", 2, 100, 100);
    Show(window);
    EXPECT_EQ(window.windowTitle(), "Property ");
    EXPECT_EQ(window.findChild<QPushButton*>("Button1")->text(), "OK ");
    EXPECT_EQ(window.PlainText(), PropertiesText(session.mirror, 1));
    EXPECT_EQ(window.Text()->text().count('\n'), 3);
    EXPECT_TRUE(Sent().empty());
}

// Margins 10 / 30 / 10 / 10 and a text block of 271 x 135, grown only for longer lines.
TEST_F(PropertiesTest, TextBlockKeepsItsSizeInsideTheMargins) {
    PropertiesWindow window(drive, nullptr);
    for (uint8_t language : {uint8_t{0}, uint8_t{1}}) {
        SCOPED_TRACE(int(language));
        session.settings.LanguageIndex = language;
        Drive(language ? "LQ560" : "TR560", 1, 100, 100);
        Show(window);
        const QMargins m = window.layout()->contentsMargins();
        EXPECT_EQ(m, QMargins(10, 30, 10, 10));
        const QLabel* text = window.Text();
        EXPECT_GE(text->width(), 271);
        EXPECT_GE(text->height(), 135);
        EXPECT_EQ(text->minimumSize(), text->maximumSize());
        const QSize need = text->sizeHint();
        if (need.width() <= 271) {
            EXPECT_EQ(text->width(), 271);
        }
        if (need.height() <= 135) {
            EXPECT_EQ(text->height(), 135);
        }
        EXPECT_EQ(text->x(), 10);
        window.hide();
    }
}

}  // namespace
}  // namespace ordalis::test
