// The address page: the search of a tab, the link record built by OK, FillLinkTree.
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "tests/wizard/WizardFixture.h"
#include "wizard/AddressPage.h"
#include "wizard/WizardResult.h"

namespace ordalis::test {
namespace {

class AddressPageTest : public WizardTest {
protected:
    std::unique_ptr<AddressPage> Page(const QStringList& ports) {
        session.settings.LanguageIndex = 1;
        return std::make_unique<AddressPage>(ctx, ports, &shell.main);
    }
    template <class W>
    static W* Child(QWidget& page, const char* name) {
        W* w = page.findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static QStringList Rows(QWidget& page, const char* list) {
        QStringList rows;
        auto* l = Child<QListWidget>(page, list);
        for (int i = 0; i < l->count(); ++i) rows << l->item(i)->text();
        return rows;
    }
    static QStringList RowsWith(int online1, int online2) {
        QStringList rows;
        for (int a = 0; a < 16; ++a)
            rows << "Addr:" + QStringLiteral("%1").arg(a, 2, 16, QLatin1Char('0')).toUpper() + "..." +
                        (a == online1 || a == online2 ? "--OK" : "Offline");
        return rows;
    }
    int ProbesTo(uint8_t address) const {
        int n = 0;
        for (const auto& e : port.events) n += e.ends_with(" write A@" + std::to_string(address));
        return n;
    }
};

TEST_F(AddressPageTest, ShowsOneTabPerChosenPortWithSixteenAddresses) {
    auto page = Page({"COM2", "COM5"});
    auto* tabs = Child<QTabWidget>(*page, "PageControl1");
    EXPECT_TRUE(tabs->isTabVisible(0));
    EXPECT_TRUE(tabs->isTabVisible(1));
    EXPECT_FALSE(tabs->isTabVisible(2));
    EXPECT_EQ(tabs->tabText(1), "COM5");
    EXPECT_EQ(tabs->currentIndex(), 0);
    const QStringList rows = Rows(*page, "ListBox3");
    ASSERT_EQ(rows.size(), 16);
    EXPECT_EQ(rows.front(), "Addr:00");
    EXPECT_EQ(rows.back(), "Addr:0F");
    EXPECT_EQ(Child<QComboBox>(*page, "ComboBox2")->currentText(), "115200");
}

TEST_F(AddressPageTest, SearchMarksEachAddressAndEndsWithAMessage) {
    // Drive 10 was left at 115200: found only when the other rates are tried too. Drive 1
    // answers at the port's rate and is probed exactly as without the fallback.
    for (bool otherRates : {true, false}) {
        SCOPED_TRACE(otherRates);
        bus.drives = {{1}, {10, 115200}};
        port.ClearEvents();
        prompt.messages.clear();
        auto page = Page({"COM2"});
        page->SetTryOtherRates(otherRates);
        Child<QPushButton>(*page, "SeachButton1")->click();
        EXPECT_FALSE(Child<QPushButton>(*page, "SeachButton1")->isEnabled());
        EXPECT_EQ(Rows(*page, "ListBox1").front(), "Addr:00...");
        Run(10000);

        EXPECT_EQ(Rows(*page, "ListBox1"), RowsWith(1, otherRates ? 10 : 1));
        EXPECT_EQ(prompt.messages, QStringList{"Search end!"});
        EXPECT_EQ(ProbesTo(1), 1);
        EXPECT_EQ(ProbesTo(0), otherRates ? 2 + 3 : 2);  // one re-send at 9600, one try per other rate
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.BaudRate(), 9600);
        EXPECT_EQ(session.link.Queue(RunQueue).answerTimeout, 100);
        EXPECT_EQ(session.link.Queue(RunQueue).timeoutRetryLimit, 1);
        EXPECT_TRUE(Child<QPushButton>(*page, "SeachButton1")->isEnabled());
    }
}

TEST_F(AddressPageTest, ASecondSearchCannotStartWhileOneRuns) {
    bus.drives = {{1}};
    auto page = Page({"COM1", "COM2"});
    page->SearchClicked(0);
    Run(150);
    const size_t sent = port.written.size();
    const int opens = port.openCount;
    page->SearchClicked(1);
    page->SearchClicked(0);
    EXPECT_EQ(port.written.size(), sent);
    EXPECT_EQ(port.openCount, opens);
    EXPECT_FALSE(Child<QPushButton>(*page, "Button1")->isEnabled());  // search of the second tab
}

TEST_F(AddressPageTest, ADriveCodeEndsTheSearchSilentlyWithThePortOpen) {
    bus.drives = {{3, 9600, "LQ340", 5}};
    auto page = Page({"COM1"});
    page->SetTryOtherRates(false);
    page->SearchClicked(0);
    Run(3000);
    const QStringList rows = Rows(*page, "ListBox1");
    EXPECT_EQ(rows[2], "Addr:02...Offline");
    EXPECT_EQ(rows[3], "Addr:03...");
    EXPECT_EQ(rows[4], "Addr:04");
    EXPECT_TRUE(prompt.messages.isEmpty());
    EXPECT_TRUE(port.IsOpen());
    EXPECT_FALSE(page->IsSearching());
    // A new search starts afresh although the port is still open.
    bus.drives.clear();
    page->SearchClicked(0);
    EXPECT_TRUE(page->IsSearching());
}

TEST_F(AddressPageTest, ClosingThePageMidSearchStopsIt) {
    auto page = Page({"COM1"});
    page->SearchClicked(0);
    Run(50);
    page.reset();
    EXPECT_FALSE(session.callbacks.AddressSearchStep);
    EXPECT_FALSE(port.IsOpen());
    const size_t sent = port.written.size();
    Run(2000);
    EXPECT_EQ(port.written.size(), sent);
}

TEST_F(AddressPageTest, APortThatCannotBeOpenedDoesNotStartASearch) {
    port.openResults["COM2"] = PortOpenError::PortInUse;
    auto page = Page({"COM2"});
    page->SearchClicked(0);
    EXPECT_EQ(prompt.messages, QStringList{"Serial port COM2 is in use by another program"});
    EXPECT_FALSE(page->IsSearching());
    EXPECT_TRUE(port.written.empty());
}

TEST_F(AddressPageTest, OkBuildsTheRecordFromTabsWithAddressesAndConnectsTheSelectedOne) {
    auto page = Page({"COM1", "COM4"});
    auto* tabs = Child<QTabWidget>(*page, "PageControl1");
    tabs->setCurrentIndex(1);
    Child<QComboBox>(*page, "ComboBox2")->setCurrentText("57600");
    auto* all = Child<QListWidget>(*page, "ListBox3");
    for (int row : {10, 1, 10}) {  // the same address twice is kept once
        all->setCurrentRow(row);
        Child<QPushButton>(*page, "Button3")->click();
    }
    Child<QListWidget>(*page, "ListBox4")->setCurrentRow(0);
    Child<QPushButton>(*page, "Button5")->click();

    const LinkRecord& r = session.settings.linkRecord;
    std::string expected = "00 00 01 00 04 00 00 00 00 E1 00 00 02 0A 01";
    for (size_t i = 15; i < LinkRecord::kSize; ++i) expected += " 00";
    EXPECT_EQ(Hexify(r.bytes.data(), r.bytes.size()), expected);
    EXPECT_EQ(session.settings.LastComMode, 1);
    EXPECT_EQ(page->result(), WizardCloseAll);
    EXPECT_EQ(port.events.front(), "0 name COM4");
    Run(100);
    EXPECT_EQ(session.link.SlaveAddress, 10);
    ASSERT_EQ(shell.tree.topLevelItemCount(), 1);
    EXPECT_EQ(shell.tree.topLevelItem(0)->text(0), "Link");
    EXPECT_EQ(shell.tree.topLevelItem(0)->child(0)->text(0), "COM4");
    EXPECT_EQ(shell.tree.topLevelItem(0)->child(0)->child(0)->text(0), "Address: A");
}

TEST_F(AddressPageTest, OkWithoutAddressesOrWithoutASelectedOneStays) {
    session.settings.linkRecord.SetSelectedEntry(0);
    session.settings.linkRecord.SetEntryCount(1);
    auto page = Page({"COM1", "COM2"});
    Child<QPushButton>(*page, "Button5")->click();
    EXPECT_EQ(prompt.messages, QStringList{"Please select at least one slave address!"});
    EXPECT_EQ(session.settings.linkRecord.EntryCount(), 1);  // the stored link is kept
    EXPECT_EQ(session.settings.LastComMode, 0);

    Child<QListWidget>(*page, "ListBox1")->setCurrentRow(3);
    Child<QPushButton>(*page, "AddAddr1")->click();
    Child<QListWidget>(*page, "ListBox2")->clearSelection();
    Child<QPushButton>(*page, "Button5")->click();
    EXPECT_EQ(prompt.messages.last(), "Please select slave address!");
    EXPECT_EQ(session.settings.linkRecord.SelectedAddressIndex(), LinkRecord::kNone);
    EXPECT_EQ(session.settings.LastComMode, 1);
    EXPECT_NE(page->result(), WizardCloseAll);
    EXPECT_TRUE(port.events.empty());

    // "<<" takes the address out again.
    Child<QListWidget>(*page, "ListBox2")->setCurrentRow(0);
    Child<QPushButton>(*page, "DelAddr1")->click();
    EXPECT_EQ(Child<QListWidget>(*page, "ListBox2")->count(), 0);
}

TEST(FillLinkTreeTest, ListsTheStoredLinkAndTellsWhetherItIsUsable) {
    FakeTimerFactory timers;
    FakePort port;
    RecordingUiPrompt prompt;
    Session session{port, timers, prompt, 1};
    QTreeWidget tree;
    LinkRecord& r = session.settings.linkRecord;
    session.settings.LastComMode = 1;
    r.SetSelectedEntry(0);
    r.SetSelectedAddressIndex(15);
    r.SetEntryCount(1);
    r.SetPort(0, 2);
    r.SetAddressCount(0, 16);
    for (int i = 0; i < 16; ++i) r.SetAddress(0, i, static_cast<uint8_t>(i));
    EXPECT_TRUE(FillLinkTree(&tree, session));
    ASSERT_EQ(tree.topLevelItemCount(), 1);
    QTreeWidgetItem* com = tree.topLevelItem(0)->child(0);
    EXPECT_EQ(tree.topLevelItem(0)->text(0), "连接");
    EXPECT_EQ(com->text(0), "COM2");
    ASSERT_EQ(com->childCount(), 16);
    EXPECT_EQ(com->child(15)->text(0), "地址:F");
    EXPECT_EQ(com->child(15)->data(0, Qt::UserRole).toInt(), 5);

    struct Case {
        const char* what;
        std::function<void()> change;
        bool usable;
        int nodes;  // top-level nodes left
    } cases[] = {
        {"no finished wizard", [&] { session.settings.LastComMode = 0; }, false, 0},
        {"no selected address", [&] { r.SetSelectedAddressIndex(LinkRecord::kNone); }, false, 0},
        {"no entries", [&] { r.SetEntryCount(0); }, true, 1},
        {"17 addresses", [&] { r.SetAddressCount(0, 17); }, false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const LinkRecord saved = r;
        c.change();
        EXPECT_EQ(FillLinkTree(&tree, session), c.usable);
        EXPECT_EQ(tree.topLevelItemCount(), c.nodes);
        r = saved;
        session.settings.LastComMode = 1;
    }
}

}  // namespace
}  // namespace ordalis::test
