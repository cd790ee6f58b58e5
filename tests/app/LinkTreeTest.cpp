// TreeView1 filled from the stored link.
#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

#include "app/LinkTree.h"
#include "core/Session.h"
#include "tests/support/FakePort.h"
#include "tests/support/FakeTimer.h"
#include "tests/uisupport/RecordingUiPrompt.h"

namespace ordalis::test {
namespace {

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
    EXPECT_TRUE(FillLinkTree(&tree, session.settings));
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
        EXPECT_EQ(FillLinkTree(&tree, session.settings), c.usable);
        EXPECT_EQ(tree.topLevelItemCount(), c.nodes);
        r = saved;
        session.settings.LastComMode = 1;
    }
}

}  // namespace
}  // namespace ordalis::test
