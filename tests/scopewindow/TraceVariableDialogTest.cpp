// The trace-variable selection dialog: pre-selection, the codes behind the names (the
// velocity row is out of order), switched-off entries, categories without variables,
// cancel, a stale variable list, captions in both languages.
#include <QListWidget>
#include <QPushButton>

#include "scope/TraceVariableChoice.h"
#include "tests/scopewindow/ScopeWindowFixture.h"

namespace ordalis::test {
namespace {

class TraceDialogTest : public ScopeWindowTest {
protected:
    QListWidget* Categories() { return dialog->findChild<QListWidget*>(QStringLiteral("ListBox1")); }
    QListWidget* Variables() { return dialog->findChild<QListWidget*>(QStringLiteral("ListBox2")); }
    // Category click, then an optional variable click, then OK (or cancel).
    TraceChoice Choose(int channel, int category, int variable, bool ok = true) {
        prompt.onModal = [&](QDialog&) {
            if (category >= 0) {
                Categories()->setCurrentRow(category);
                emit Categories()->itemClicked(Categories()->item(category));
            }
            if (variable >= 0) Variables()->setCurrentRow(variable);
            dialog->findChild<QPushButton*>(QString::fromLatin1(ok ? "Button1" : "Button2"))->click();
            return dialog->result();
        };
        return ChooseTraceVariable(*dialog, channel);
    }
};

TEST_F(TraceDialogTest, OpensOnTheChannelsVariableAndOkReturnsIt) {
    for (uint8_t lang : {0, 1}) {
        drive.language = lang;
        prompt.onModal = [&](QDialog& d) {
            EXPECT_EQ(Categories()->currentRow(), 1);
            EXPECT_EQ(Variables()->currentItem()->text(), lang ? "Commanded Current" : "给定电流");
            EXPECT_EQ(d.windowTitle(), lang ? "channel 1 Trace variables Selection" : "第1通道跟踪变量选择");
            d.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
            return 1;
        };
        const TraceChoice c = ChooseTraceVariable(*dialog, 1);
        EXPECT_TRUE(c.Selected);
        EXPECT_EQ(c.Name, lang ? "Commanded Current" : "给定电流");
        EXPECT_EQ(c.Code, 1);
    }
    EXPECT_EQ(prompt.modals, (QStringList{"TForm8", "TForm8"}));
}

TEST_F(TraceDialogTest, CodesBehindTheNames) {
    struct Case {
        int category, variable;
        bool selected;
        const char* name;
        int code;
    } cases[] = {
        {2, 1, true, "反馈速度", 4},
        {2, 0, true, "给定速度", 5},
        {5, 1, true, "母线电压", 12},
        {5, 0, true, "模拟输入1电压", 0},  // chosen, but it switches the channel off
        {0, -1, true, "无", 0},
        {8, -1, false, "", 0},             // Faults: no variables, no selection
        {3, -1, false, "", 0},             // a category without a variable picked
    };
    for (const Case& c : cases) {
        const TraceChoice r = Choose(3, c.category, c.variable);
        EXPECT_EQ(r.Selected, c.selected) << c.name;
        EXPECT_EQ(r.Name, QString::fromUtf8(c.name));
        EXPECT_EQ(r.Code, c.code) << c.name;
    }
}

TEST_F(TraceDialogTest, CancelAfterAnEarlierOkGivesNoSelection) {
    EXPECT_TRUE(Choose(2, 2, 1).Selected);
    EXPECT_FALSE(Choose(4, 1, 0, false).Selected);
}

// The dialog opens for a channel whose code is 0 after an earlier selection: the category
// list is refilled without a selection while the variable list keeps its old items.
TEST_F(TraceDialogTest, StaleVariableListGivesNoSelection) {
    EXPECT_EQ(Choose(1, 3, 4).Code, 23);
    drive.trace.TraceVariable[2] = 0;
    prompt.onModal = [&](QDialog& d) {
        EXPECT_EQ(Categories()->currentRow(), -1);
        EXPECT_GT(Variables()->count(), 0);
        Variables()->setCurrentRow(2);
        d.findChild<QPushButton*>(QStringLiteral("Button1"))->click();
        return 1;
    };
    EXPECT_FALSE(ChooseTraceVariable(*dialog, 3).Selected);
}

TEST_F(TraceDialogTest, EnglishHasElevenCategoriesAndShortRows) {
    drive.language = 1;
    drive.trace.TraceVariable[0] = 25;  // a stepper variable: no English category
    prompt.onModal = [&](QDialog& d) {
        EXPECT_EQ(Categories()->count(), 11);
        EXPECT_EQ(Categories()->currentRow(), -1);
        EXPECT_EQ(d.findChild<QPushButton*>(QStringLiteral("Button2"))->text(), "Cance");
        return 0;
    };
    EXPECT_FALSE(ChooseTraceVariable(*dialog, 1).Selected);
}

}  // namespace
}  // namespace ordalis::test
