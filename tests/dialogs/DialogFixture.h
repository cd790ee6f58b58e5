#pragma once
// A drive window over the fake bus: the real session and link, one drive at address 1,
// recorded prompts, and helpers that type into a window as a user does.
#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include "tests/core/CoreFixture.h"

namespace ordalis::test {

class DialogTest : public CoreTest {
protected:
    DialogTest() {
        bus.drives = {{1}};
        EXPECT_EQ(port.Open(), PortOpenError::None);
        session.link.SlaveAddress = 1;
    }

    // Shows the window and makes it the active one, so focus moves as for a user.
    static void Show(QWidget& w) {
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
    }
    // Clicks a check box or radio button on its indicator, as a user does.
    void Click(QAbstractButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
        Run(20);
    }
    // Replaces the box's text by typing (through its key filter) and presses Enter.
    void Enter(QLineEdit* box, const QString& text) {
        Type(box, text);
        QTest::keyClick(box, Qt::Key_Return);
        Run(20);
    }
    // Replaces the text by typing, then moves the focus on with Tab.
    void TypeAndLeave(QLineEdit* box, const QString& text) {
        Type(box, text);
        QTest::keyClick(box, Qt::Key_Tab);
        Run(20);
    }
    static void Type(QLineEdit* box, const QString& text) {
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    std::vector<std::string> Sent() {
        auto out = DecodedRequests(port, seen_);
        seen_ = port.written.size();
        return out;
    }
    QStringList Messages() {
        QStringList m = prompt.messages;
        prompt.messages.clear();
        return m;
    }
    void English() { session.settings.LanguageIndex = 1; }

private:
    size_t seen_ = 0;
};

using Frames = std::vector<std::string>;

}  // namespace ordalis::test
