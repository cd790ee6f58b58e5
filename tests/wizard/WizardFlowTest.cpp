// The chain of pages: link type, serial port, address; Back, Cancel and the messages.
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "tests/wizard/WizardFixture.h"
#include "wizard/SerialPortPage.h"
#include "wizard/WizardResult.h"

namespace ordalis::test {
namespace {

class WizardFlowTest : public WizardTest {
protected:
    static void Click(QDialog& d, const char* name) {
        auto* b = d.findChild<QAbstractButton*>(name);
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    static QStringList Items(QDialog& d, const char* name) {
        QStringList items;
        auto* l = d.findChild<QListWidget*>(name);
        for (int i = 0; l && i < l->count(); ++i) items << l->item(i)->text();
        return items;
    }
    static void Choose(QDialog& d, const QString& port) {
        auto* l = d.findChild<QListWidget*>("ListBox1");
        l->setCurrentItem(l->findItems(port, Qt::MatchExactly).value(0));
        Click(d, "Button1");
    }
};

TEST_F(WizardFlowTest, ProbesThePortsAndOffersThoseThatExistEvenWhenBusy) {
    port.openResults = {{"COM2", PortOpenError::PortInUse},
                        {"COM3", PortOpenError::NoSuchPort},
                        {"COM4", PortOpenError::Other}};
    EXPECT_EQ(SerialPortPage::ProbePorts(port), (QStringList{"COM1", "COM2", "COM5"}));
    EXPECT_EQ(port.CommName(), "COM5");
    EXPECT_FALSE(port.IsOpen());
}

TEST_F(WizardFlowTest, NextThroughAllPagesConnectsAndClosesEveryPage) {
    session.settings.LanguageIndex = 1;
    bus.drives = {{1}};
    QStringList offered;
    int linkTypeResult = -1;
    script["TForm2"] = [&](QDialog& d) {
        Click(d, "Button1");
        linkTypeResult = d.result();
        return d.result();
    };
    script["TForm4"] = [&](QDialog& d) {
        offered = Items(d, "ListBox1");
        Choose(d, "COM3");
        Choose(d, "COM3");
        EXPECT_EQ(Items(d, "ListBox2"), QStringList{"COM3"});
        Click(d, "Button4");
        return d.result();
    };
    script["TForm6"] = [&](QDialog& d) {
        d.findChild<QListWidget*>("ListBox1")->setCurrentRow(1);
        Click(d, "AddAddr1");
        d.findChild<QListWidget*>("ListBox2")->setCurrentRow(0);
        Click(d, "Button5");
        return d.result();
    };
    drive.StartPoll();
    EXPECT_TRUE(OpenConnectionWizard(ctx));
    EXPECT_EQ(prompt.modals, (QStringList{"TForm2", "TForm4", "TForm6"}));
    EXPECT_EQ(offered, (QStringList{"COM1", "COM2", "COM3", "COM4", "COM5"}));
    EXPECT_EQ(linkTypeResult, WizardCloseAll);
    EXPECT_FALSE(drive.IsPolling());
    Run(1000);
    EXPECT_EQ(identified, (std::vector<uint16_t>{Answered}));
    EXPECT_EQ(session.settings.linkRecord.Port(0), 3);
}

TEST_F(WizardFlowTest, BackReturnsOnePageAndCancelClosesThemAll) {
    struct Case {
        const char* button;
        int linkTypeResult;
    } cases[] = {{"Button3", 0}, {"Button5", WizardCloseAll}};  // Back, Cancel
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        int result = -1;
        script["TForm2"] = [&](QDialog& d) {
            Click(d, "Button1");
            result = d.result();
            return 0;
        };
        script["TForm4"] = [&](QDialog& d) {
            Click(d, c.button);
            return d.result();
        };
        OpenConnectionWizard(ctx);
        EXPECT_EQ(result, c.linkTypeResult);
    }
}

TEST_F(WizardFlowTest, UsbStopsThePollOnlyAndAnEmptySelectionIsRefused) {
    script["TForm2"] = [&](QDialog& d) {
        d.findChild<QRadioButton*>("Usbsel")->setChecked(true);
        Click(d, "Button1");
        return 0;
    };
    drive.StartPoll();
    EXPECT_FALSE(OpenConnectionWizard(ctx));
    EXPECT_EQ(prompt.modals, QStringList{"TForm2"});
    EXPECT_FALSE(drive.IsPolling());

    SerialPortPage page(ctx, nullptr);
    page.NextClicked();
    EXPECT_EQ(prompt.messages, QStringList{"请选择一个有效的串口!"});
    EXPECT_EQ(prompt.modals, QStringList{"TForm2"});
}

}  // namespace
}  // namespace ordalis::test
