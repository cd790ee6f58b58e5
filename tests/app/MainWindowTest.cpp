#include <QLineEdit>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest/QTest>

#include "app/ProgressWindow.h"
#include "tests/app/AppFixture.h"

namespace ordalis::test {
namespace {

using MainWindowTest = AppFixture;

QStringList ShownGroups(QMenuBar* bar) {
    QStringList names;
    for (QAction* a : bar->actions())
        if (a->isVisible()) names << a->objectName();
    return names;
}

QStringList ShownItems(QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions())
        if (a->isVisible()) texts << a->text();
    return texts;
}

TEST_F(MainWindowTest, LayoutAndFixedSize) {
    Start();
    EXPECT_EQ(win->windowTitle(), "Ordalis configuration tool");
    EXPECT_EQ(win->minimumSize(), win->maximumSize());
    EXPECT_EQ(win->width(), 728);
    EXPECT_EQ(win->centralWidget()->height() + ToolBar()->height() + win->statusBar()->height(), 464);
    EXPECT_EQ(ToolBar()->height(), 42);
    EXPECT_EQ(Find<QWidget>("TreeView1")->width(), 160);
    EXPECT_FALSE(Find<QToolButton>("TB_Osc")->isEnabled());
    EXPECT_FALSE(Find<QToolButton>("TB_LoadEep")->isEnabled());
    for (const char* name : {"Button1", "Button2", "Button3", "Button4"})
        EXPECT_FALSE(Find<QPushButton>(name)->isVisibleTo(win.get())) << name;
    const QStringList statusTexts = {"按F2急停!     ", "", "进度", ""};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(win->statusBar()->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(i))->text(), statusTexts[i]);
    win->resize(900, 700);  // refused
    EXPECT_EQ(win->width(), 728);
    // No menu item is checked at start.
    for (QMenuBar* bar : {win->menu(0), win->menu(1)})
        for (QAction* a : bar->findChildren<QAction*>()) EXPECT_FALSE(a->isChecked()) << a->objectName().toStdString();
}

TEST_F(MainWindowTest, LanguageSwitchWhileConnectedStopsPollAndStartsOver) {
    Start();
    ReadBack("TR560");
    win->progressWindow()->Timer1Timer();
    ASSERT_TRUE(drive->IsPolling());
    ASSERT_TRUE(Panel()->isVisible());
    EXPECT_EQ(ShownGroups(win->menu(0)), (QStringList{"ChFile", "ChTool", "chView", "ChLang", "ChHelp"}));
    // The log's item shows as well: the log window is reachable.
    EXPECT_EQ(ShownItems(Find<QMenu>("chView")),
              (QStringList{"报警状态&", "报警日志&", "驱动器属性&", "通信记录&", "电机参数&"}));

    Find("English1")->trigger();
    EXPECT_FALSE(drive->IsPolling());
    EXPECT_EQ(win->currentMenu()->objectName(), "EngMenu_User");
    EXPECT_EQ(ShownGroups(win->menu(1)), (QStringList{"EnTool", "EnLang", "EnHelp"}));
    EXPECT_FALSE(Panel()->isVisible());
    EXPECT_FALSE(ToolBar()->isEnabled());
    EXPECT_TRUE(Find("English2")->isChecked());
    EXPECT_EQ(Find<QToolButton>("TB_Panel")->toolTip(), "Control Penle");
    EXPECT_TRUE(win->selComModeDelay()->isActive());  // no stored link: the wizard follows

    // Set up again in English: the English groups, View without its IO item.
    ReadBack("LQ340");
    EXPECT_EQ(ShownGroups(win->menu(1)), (QStringList{"EnFile", "EnTool", "EnView", "EnLang", "EnHelp"}));
    EXPECT_EQ(ShownItems(Find<QMenu>("EnView")),
              (QStringList{"Alarm && Warning", "Fault Log", "Device Properties", "Motor Data", "Communication Log"}));
    EXPECT_EQ(Find<QPushButton>("Button4")->text(), "Anti-resonance ");

    Find("Chinese1")->trigger();
    EXPECT_EQ(win->currentMenu()->objectName(), "ChnMenu_Admin");
    EXPECT_TRUE(Find("chinesesim")->isChecked());
    EXPECT_FALSE(Find("English1")->isChecked());
    EXPECT_EQ(session->settings.LanguageIndex, 0);
}

// Qt used to tick the switch items themselves: after choosing English the Chinese menu
// showed "英文(&English)" ticked.
TEST_F(MainWindowTest, LanguageItemsCarryOnlyTheirOwnCheckMarks) {
    Start();
    Find("English1")->trigger();
    EXPECT_FALSE(Find("English1")->isChecked());
    EXPECT_TRUE(Find("English2")->isChecked());
    Find("Chinese1")->trigger();
    EXPECT_FALSE(Find("Chinese1")->isChecked());
    EXPECT_TRUE(Find("chinesesim")->isChecked());
    Find("English2")->trigger();
    Find("English2")->trigger();
    EXPECT_TRUE(Find("English2")->isChecked());
}

// Opening the wizard by hand within the first second used to let SelComModeDelay open a
// second one on top, whose address page then broke the first one's search.
TEST_F(MainWindowTest, OneWizardAtATime) {
    Start();
    ASSERT_TRUE(win->selComModeDelay()->isActive());
    int opened = 0;
    prompt.onModal = [&](QDialog& d) {
        if (d.objectName() == "TForm2") {
            ++opened;
            // While the first wizard is up: the delay fires, the menu item is chosen again.
            win->SelComModeDelayTimer();
            Find("CH_MT_ComGuide")->trigger();
        }
        return int(QDialog::Rejected);
    };
    Find("CH_MT_ComGuide")->trigger();
    EXPECT_EQ(opened, 1);
    EXPECT_FALSE(win->selComModeDelay()->isActive());
}

// A language switch within 700 ms of a finished read-back used to bring panel and tool
// bar back in the middle of the new connection.
TEST_F(MainWindowTest, ALanguageSwitchOrANewConnectionStopsThePendingPanel) {
    Start();
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way);
        ReadBack("TR560");
        ASSERT_TRUE(win->progressWindow()->Timer()->isActive());
        if (way == 0)
            win->SetLanguage(1);
        else
            drive->ConnectDrive(1, 57600, 1);
        EXPECT_FALSE(win->progressWindow()->Timer()->isActive());
        EXPECT_FALSE(drive->IsPolling());
    }
}

TEST_F(MainWindowTest, LanguageSwitchWithStoredLinkReconnectsAfterTheNote) {
    WriteStoredLink();
    Start();
    prompt.modals.clear();
    Find("English1")->trigger();
    QApplication::processEvents();
    EXPECT_EQ(prompt.modals, QStringList{"TForm10"});
    EXPECT_FALSE(win->selComModeDelay()->isActive());
    EXPECT_TRUE(drive->IsConnecting());
    EXPECT_EQ(Find<QTreeWidget>("TreeView1")->topLevelItem(0)->text(0), "Link");
}

TEST_F(MainWindowTest, ChoosingTheCurrentLanguageOnlyChecksIt) {
    Start();
    const bool delayWas = win->selComModeDelay()->isActive();
    win->selComModeDelay()->stop();
    Find("chinesesim")->trigger();
    Find("chinesesim")->trigger();  // stays checked
    EXPECT_TRUE(Find("chinesesim")->isChecked());
    EXPECT_FALSE(win->selComModeDelay()->isActive()) << "FormShow did not run again";
    EXPECT_TRUE(delayWas);
}

TEST_F(MainWindowTest, TenClicksOnTheToolBarGiveTheChineseMenu) {
    WriteCfg("[pset0]\nLauguageMode=1\n");
    Start();
    QWidget* bar = ToolBar();
    const QPoint empty(bar->width() - 5, bar->height() / 2);
    for (int i = 0; i < 12; ++i) QTest::mouseClick(bar, Qt::LeftButton, {}, empty);
    EXPECT_EQ(win->currentMenu()->objectName(), "EngMenu_User") << "a disabled tool bar counts nothing";

    session->mirror.SetI16(pid::Vp, -7);
    ReadBack("HV120");
    win->progressWindow()->Timer1Timer();
    ASSERT_TRUE(bar->isEnabled());
    EXPECT_TRUE(Find<QToolButton>("TB_Osc")->isEnabled()) << "the oscilloscope follows the bar, HV120 included";
    EXPECT_EQ(Find<QWidget>("TForm5")->findChild<QLineEdit*>("Edit11")->text(), "-7") << "gains filled by the read-back";
    QTest::mouseClick(Find<QToolButton>("TB_Panel"), Qt::LeftButton);  // an enabled button is not the bar
    Find<QWidget>("TForm15")->hide();
    for (int i = 0; i < 8; ++i) QTest::mouseClick(bar, Qt::LeftButton, {}, empty);
    QTest::mouseClick(Find<QToolButton>("TB_LoadEep"), Qt::LeftButton);  // disabled: the bar's click
    EXPECT_EQ(win->currentMenu()->objectName(), "EngMenu_User");
    QTest::mouseClick(bar, Qt::LeftButton, {}, empty);
    EXPECT_EQ(win->currentMenu()->objectName(), "ChnMenu_Admin");
    EXPECT_EQ(session->settings.LanguageIndex, 1) << "only the menu changes";

    // Counting starts again: ten more clicks are needed.
    win->SetLanguage(1);
    win->progressWindow()->Timer1Timer();
    for (int i = 0; i < 9; ++i) QTest::mouseClick(bar, Qt::LeftButton, {}, empty);
    EXPECT_EQ(win->currentMenu()->objectName(), "EngMenu_User");
}

TEST_F(MainWindowTest, TreeListsStoredPortsAndAddresses) {
    LinkRecord r = StoredLink();
    r.SetEntryCount(2);
    r.SetPort(1, 4);
    r.SetBaud(1, 9600);
    r.SetAddressCount(1, 1);
    r.SetAddress(1, 0, 0xF);
    WriteCfg(QByteArray("[pset0]\nLauguageMode=1\n[pset1]\nLastComMode=1\n[pset3]\nlinkinf=") + r.ToHex().c_str() + "\n");
    Start();
    QTreeWidget* tree = Find<QTreeWidget>("TreeView1");
    ASSERT_EQ(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* root = tree->topLevelItem(0);
    EXPECT_EQ(root->text(0), "Link");
    ASSERT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->child(0)->text(0), "COM1");
    EXPECT_EQ(root->child(1)->text(0), "COM4");
    ASSERT_EQ(root->child(0)->childCount(), 2);
    EXPECT_EQ(root->child(0)->child(0)->text(0), "Address: 1");
    EXPECT_EQ(root->child(0)->child(1)->text(0), "Address: A");
    EXPECT_EQ(root->child(1)->child(0)->text(0), "Address: F");
    EXPECT_EQ(tree->width(), 160);
}

TEST_F(MainWindowTest, OpenersShowTheirWindows) {
    Start();
    ReadBack("TR900");
    win->progressWindow()->Timer1Timer();
    struct Opener {
        const char* control;
        const char* window;
    };
    const Opener openers[] = {{"Button1", "TForm13"}, {"Button2", "TForm16"}, {"Button3", "TForm14"},
                              {"Button4", "TForm15"}, {"TB_Panel", "TForm15"}, {"TB_AlmRecord", "TForm16"}};
    for (const Opener& o : openers) {
        QWidget* w = Find<QWidget>(o.window);
        w->hide();
        QTest::mouseClick(Find<QAbstractButton>(o.control), Qt::LeftButton);
        EXPECT_TRUE(w->isVisible()) << o.control;
        w->hide();
    }
    Find("CH_MV_Attribute")->trigger();
    EXPECT_TRUE(Find<QWidget>("TForm11")->isVisible());
    Find("CH_MV_ComInfo")->trigger();
    EXPECT_TRUE(Find<QWidget>("TForm3")->isVisible());
    EXPECT_EQ(Find<QWidget>("TForm3")->frameGeometry().left(), win->frameGeometry().left() + win->frameGeometry().width() - 1);
}

}  // namespace
}  // namespace ordalis::test
