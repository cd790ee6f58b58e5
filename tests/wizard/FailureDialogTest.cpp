// The connection-failure dialog: its message and its three ways out.
#include <QLabel>
#include <QPushButton>

#include "tests/wizard/WizardFixture.h"

namespace ordalis::test {
namespace {

class FailureDialogTest : public WizardTest {
protected:
    FailureDialogTest() {
        LinkRecord& r = session.settings.linkRecord;
        r.SetEntryCount(2);
        r.SetPort(0, 1);
        r.SetBaud(0, 9600);
        r.SetAddressCount(0, 1);
        r.SetPort(1, 3);
        r.SetBaud(1, 57600);
        r.SetAddressCount(1, 2);
        r.SetAddress(1, 0, 0x01);
        r.SetAddress(1, 1, 0x0A);
        r.SetSelectedEntry(1);
        r.SetSelectedAddressIndex(1);
        session.settings.LastComMode = 1;
    }
    QString Text() { return dialog.findChild<QLabel*>("Label1")->text(); }
    void Click(const char* name) { dialog.findChild<QPushButton*>(name)->click(); }

    ConnectionFailureDialog dialog{ctx, &main};
    int wizardRequests = 0;
};

TEST_F(FailureDialogTest, NamesTheSelectedPortAndAddressInDecimal) {
    session.settings.LanguageIndex = 1;
    dialog.Prepare();
    EXPECT_EQ(Text(), QString::fromUtf8("Communicating with the Port Com3 Slave Address 10 failed\uFF01 \r\n"
                                        " 1.Verify the drive is power-on\r\n"
                                        " 2.Check the drive is connected and the \r\n"
                                        "connection port number is correct"));
    EXPECT_EQ(dialog.windowTitle(), "Communication failure");
    EXPECT_EQ(dialog.findChild<QPushButton*>("Button2")->text(), "Cance");

    session.settings.LanguageIndex = 0;
    dialog.Prepare();
    EXPECT_EQ(Text(), QString::fromUtf8("与端口Com3 的设备地址 10 通信连接失败!\r\n\r\n"
                                        " 1.请检查驱动器是否上电\r\n"
                                        " 2.请检查驱动器是否连接及连接端口号是否正确"));
    EXPECT_EQ(dialog.findChild<QPushButton*>("Button3")->text(), "新建连接");
}

TEST_F(FailureDialogTest, WithoutAStoredSelectionNoPortIsNamedAndRetryDoesNothing) {
    session.settings.linkRecord = LinkRecord::Default();
    session.settings.LanguageIndex = 1;
    dialog.Prepare();
    EXPECT_TRUE(Text().startsWith("Communicating with the Port Com Slave Address  failed"));
    Click("Button1");
    EXPECT_TRUE(port.events.empty());
}

TEST_F(FailureDialogTest, RetryReconnectsTheStoredSelection) {
    bus.drives = {{10, 9600}};
    Click("Button1");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(port.events.front(), "0 name COM3");
    Run(1000);
    EXPECT_EQ(identified, (std::vector<uint16_t>{Answered}));
    EXPECT_EQ(session.link.SlaveAddress, 10);
    EXPECT_EQ(session.mirror.GetI32(53), 57600);
    EXPECT_EQ(port.BaudRate(), 57600);
}

TEST_F(FailureDialogTest, NewConnectionAsksForTheWizardAndCancelDoesNothing) {
    QObject::connect(&dialog, &ConnectionFailureDialog::NewConnectionRequested, [this] { ++wizardRequests; });
    drive.StartPoll();
    Click("Button3");
    EXPECT_EQ(wizardRequests, 1);
    Click("Button2");
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(wizardRequests, 1);
    EXPECT_TRUE(port.events.empty());
    EXPECT_TRUE(drive.IsPolling());
}

}  // namespace
}  // namespace ordalis::test
