// The main window's menu items, the language items' check marks and the tool bar's
// ten-click switch to the Chinese menu.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>

#include "app/MainWindow.h"

namespace ordalis {

QAction* MainWindow::Action(const char* name) const {
    const QString n = QString::fromLatin1(name);
    for (QMenuBar* bar : menus_)
        if (auto* a = bar->findChild<QAction*>(n)) return a;
    return nullptr;
}

QMenu* MainWindow::Group(const char* name) const {
    const QString n = QString::fromLatin1(name);
    for (QMenuBar* bar : menus_)
        if (auto* m = bar->findChild<QMenu*>(n)) return m;
    return nullptr;
}

void MainWindow::ConnectMenus() {
    auto on = [this](const char* name, auto slot) { connect(Action(name), &QAction::triggered, this, slot); };
    on("MF_Close", [this] { close(); });
    on("Exit1", [this] { close(); });
    on("CH_MT_ComGuide", [this] { OpenWizard(); });
    on("EN_MT_ComGuide", [this] { OpenWizard(); });
    // The English alarm items do what their Chinese counterparts do.
    for (const char* item : {"CH_MV_AlmState", "CH_MV_AlmLog", "EN_MV_AlmState", "EN_MV_AlmLog"})
        on(item, [this] { ShowDialog(windows_.StatusMonitor); });
    on("CH_MV_Attribute", [this] { ShowDialog(windows_.Properties); });
    on("EN_MV_Attribute", [this] { ShowDialog(windows_.Properties); });
    on("CH_MV_ComInfo", [this] { ShowCommLog(); });
    ConnectLanguageItems();
}

// Qt ticks a checkable item by itself when it is chosen; the language items' marks
// follow their own rules only, so that toggle is undone before the rule runs.
void MainWindow::ConnectLanguageItems() {
    auto on = [this](const char* name, auto rule) {
        QAction* item = Action(name);
        connect(item, &QAction::triggered, this, [item, rule](bool checkedByQt) {
            item->setChecked(!checkedByQt);
            rule();
        });
    };
    on("English1", [this] {
        Action("English2")->setChecked(true);
        Action("Chinese1")->setChecked(false);
        SetLanguage(1);
    });
    on("Chinese1", [this] {
        Action("English1")->setChecked(false);
        Action("chinesesim")->setChecked(true);
        SetLanguage(0);
    });
    on("chinesesim", [this] { Action("chinesesim")->setChecked(true); });
    on("English2", [this] {
        Action("English2")->setChecked(true);
        Action("Chinese1")->setChecked(false);
    });
}

void MainWindow::ShowCommLog() {
    if (!windows_.CommLog) return;
    windows_.CommLog->show();
    // Stands against the main window's right edge.
    const QRect g = frameGeometry();
    windows_.CommLog->move(g.left() + g.width() - 1, windows_.CommLog->frameGeometry().top());
    windows_.CommLog->raise();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    QToolBar* bar = layout_.toolBar;
    if (event->type() == QEvent::MouseButtonPress && bar->isEnabled()) {
        auto* w = qobject_cast<QWidget*>(watched);
        const auto* me = static_cast<QMouseEvent*>(event);
        // A press on an enabled button is that button's; anything else is the bar's own.
        const bool onEnabledButton = w != bar && qobject_cast<QToolButton*>(w) && w->isEnabled();
        if (w && (w == bar || w->parentWidget() == bar) && !onEnabledButton && me->button() == Qt::LeftButton)
            ToolBarClicked();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::ToolBarClicked() {
    if (++toolBarClicks_ >= 10) {
        toolBarClicks_ = 0;
        SetMainMenu(menus_[0]);
    }
}

}  // namespace ordalis
