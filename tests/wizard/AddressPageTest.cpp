// The address page: the search of a tab, the link record built by OK.
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "tests/wizard/WizardFixture.h"
#include "core/AddressSearch.h"
#include "wizard/AddressPage.h"
#include "wizard/WizardResult.h"

namespace ordalis::test {
namespace {

class AddressPageTest : public WizardTest {
protected:
    std::unique_ptr<AddressPage> Page(const QStringList& ports) {
        session.settings.LanguageIndex = 1;
        return std::make_unique<AddressPage>(ctx, ports, &main);
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
        Child<QCheckBox>(*page, "OtherRates")->setChecked(otherRates);
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
    Child<QCheckBox>(*page, "OtherRates")->setChecked(false);
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
    Run(250);  // address 0 silent at 9600: now on the other rates, without re-send
    page.reset();
    EXPECT_FALSE(session.callbacks.AddressSearchStep);
    EXPECT_FALSE(port.IsOpen());
    // Closed while the other rates were being tried: the re-send comes back for what follows.
    EXPECT_EQ(session.link.Queue(RunQueue).timeoutRetryLimit, 1);
    EXPECT_EQ(port.BaudRate(), 9600);
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
    EXPECT_TRUE(ctx.connected);
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
    EXPECT_FALSE(ctx.connected);

    // A refused OK leaves a running search alone.
    Child<QListWidget>(*page, "ListBox2")->clearSelection();
    page->SearchClicked(0);
    ASSERT_TRUE(page->IsSearching());
    Child<QPushButton>(*page, "Button5")->click();
    EXPECT_TRUE(page->IsSearching());
    EXPECT_TRUE(port.IsOpen());
    page->Search().Stop();

    // "<<" takes the address out again.
    Child<QListWidget>(*page, "ListBox2")->setCurrentRow(0);
    Child<QPushButton>(*page, "DelAddr1")->click();
    EXPECT_EQ(Child<QListWidget>(*page, "ListBox2")->count(), 0);
}

}  // namespace
}  // namespace ordalis::test
