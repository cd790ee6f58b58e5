#include <QTimer>
#include <QtTest/QTest>

#include "app/NoteDialog.h"
#include "tests/app/AppFixture.h"
#include "core/DriveSession.h"

namespace ordalis::test {
namespace {

using Startup = AppFixture;

TEST_F(Startup, FirstStartOpensWizardAfterOneSecondAndWritesDefaultsAtClose) {
    Start();
    EXPECT_EQ(win->currentMenu()->objectName(), "ChnMenu_Admin");
    EXPECT_TRUE(prompt.modals.isEmpty());
    QTimer* delay = win->selComModeDelay();
    EXPECT_EQ(delay->objectName(), "SelComModeDelay");
    EXPECT_TRUE(delay->isActive());
    EXPECT_TRUE(delay->isSingleShot());
    EXPECT_EQ(delay->interval(), 1000);
    EXPECT_FALSE(QFile::exists(cfgPath));

    ASSERT_TRUE(WaitUntil([&] { return !prompt.modals.isEmpty(); }));  // the real timer fires
    EXPECT_EQ(prompt.modals, QStringList{"TForm2"});
    EXPECT_FALSE(delay->isActive());

    win->close();
    const QByteArray text = ReadCfg();
    EXPECT_TRUE(text.contains("[pset0]\r\nLauguageMode=0\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("[pset1]\r\nLastComMode=0\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("[pset3]\r\nlinkinf=FFFF" + QByteArray(340, '0') + "\r\n")) << text.constData();
    // Written in the order linkinf, LastComMode, LauguageMode.
    EXPECT_LT(text.indexOf("linkinf"), text.indexOf("LastComMode"));
    EXPECT_LT(text.indexOf("LastComMode"), text.indexOf("LauguageMode"));
}

TEST_F(Startup, EnglishFromTheFile) {
    WriteCfg("[pset0]\nLauguageMode=1\n");
    Start();
    EXPECT_EQ(win->currentMenu()->objectName(), "EngMenu_User");
    EXPECT_EQ(Find<QToolButton>("TB_Osc")->toolTip(), "Osc");
    EXPECT_EQ(Find<QToolButton>("TB_SaveEep")->toolTip(), "Save Parameter To EEPROM");
    win->close();
    EXPECT_TRUE(ReadCfg().contains("LauguageMode=1\n"));
}

TEST_F(Startup, UnknownLanguageValueIsChinese) {
    WriteCfg("[pset0]\nLauguageMode=5\n");
    Start();
    EXPECT_EQ(win->currentMenu()->objectName(), "ChnMenu_Admin");
    EXPECT_EQ(Find<QToolButton>("TB_Osc")->toolTip(), "示波器");
}

TEST_F(Startup, ShortLinkRecordGivesDefaultAndTheWizard) {
    const std::string hex = StoredLink().ToHex().substr(0, 342);
    WriteCfg(QByteArray("[pset1]\nLastComMode=1\n[pset3]\nlinkinf=") + hex.c_str() + "\n");
    Start();
    EXPECT_EQ(session->settings.linkRecord.bytes, LinkRecord::Default().bytes);
    EXPECT_TRUE(win->selComModeDelay()->isActive());
    EXPECT_TRUE(prompt.modals.isEmpty());
}

TEST_F(Startup, StoredLinkShowsNoteThenReconnects) {
    WriteStoredLink();
    prompt.onModal = [this](QDialog& d) {
        EXPECT_EQ(d.objectName(), "TForm10");
        EXPECT_EQ(port.openCount, 0) << "the connection starts after the note closes";
        return int(QDialog::Accepted);
    };
    Start();
    EXPECT_FALSE(win->selComModeDelay()->isActive());
    EXPECT_EQ(prompt.modals, QStringList{"TForm10"});
    EXPECT_EQ(port.CommName(), "COM1");
    EXPECT_EQ(session->link.SlaveAddress, 0xA);
    ASSERT_FALSE(port.baudHistory.empty());
    EXPECT_EQ(port.baudHistory.front(), 110);  // the wake-up byte
    EXPECT_TRUE(drive->IsConnecting());
    ASSERT_EQ(Find<QTreeWidget>("TreeView1")->topLevelItemCount(), 1);
    EXPECT_EQ(Find<QTreeWidget>("TreeView1")->topLevelItem(0)->text(0), "连接");
}

TEST_F(Startup, NoteDialogTranslatesItself) {
    const struct {
        int language;
        const char* caption;
        const char* button;
        const char* note;  // the CR LF of the note shows as a line break
    } cases[] = {
        {1, "Please Note", "OK",
         "After a successful connection between the software and drive, such as in case of emergency, \n"
         "please press the \"F8\" key, the motor off "},
        {0, "注意", "确定", "当软件与驱动器间连接成功后,如遇到紧急情况,请按\"F8\"快捷键,使电机脱机!\n 按\"确定\"后进入连接"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.language);
        TearDown();
        WriteStoredLink(c.language);
        QString caption, button, note;
        prompt.onModal = [&](QDialog& d) {
            d.show();  // what exec does first
            caption = d.windowTitle();
            button = d.findChild<QPushButton*>("Button1")->text();
            note = d.findChild<QLabel*>("Label1")->text();
            d.hide();
            return int(QDialog::Accepted);
        };
        Start();
        EXPECT_EQ(caption, QString::fromUtf8(c.caption));
        EXPECT_EQ(button, QString::fromUtf8(c.button));
        EXPECT_EQ(note, QString::fromUtf8(c.note));
        EXPECT_EQ(win->noteDialog()->size(), QSize(551, 113));
    }
}

TEST_F(Startup, DamagedSelectionDoesNotReadPastTheRecord) {
    LinkRecord r = StoredLink();
    r.SetSelectedAddressIndex(200);
    WriteCfg(QByteArray("[pset1]\nLastComMode=1\n[pset3]\nlinkinf=") + r.ToHex().c_str() + "\n");
    Start();
    EXPECT_EQ(port.openCount, 0);
    EXPECT_TRUE(win->selComModeDelay()->isActive());
}

TEST_F(Startup, UnwritableSettingsFileIsReported) {
    cfgPath = dir.filePath("no-such-folder/cfg.ini");
    Start();
    win->close();
    ASSERT_EQ(prompt.messages.size(), 1);
    EXPECT_TRUE(prompt.messages[0].contains(cfgPath)) << prompt.messages[0].toStdString();
}

}  // namespace
}  // namespace ordalis::test
