// The main window's menu items and the tool bar's ten-click switch to the Chinese menu.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>

#include "app/DoctorDialog.h"
#include "app/MainWindow.h"
#include "app/MenuBars.h"
#include "core/DriveSession.h"

namespace ordalis {

QAction* MainWindow::Action(const char* name) const { return menus_->Action(name); }

QMenu* MainWindow::Group(const char* name) const { return menus_->Group(name); }

void MainWindow::ConnectMenus() {
    auto on = [this](const char* name, auto slot) { connect(Action(name), &QAction::triggered, this, slot); };
    on("MF_Close", [this] { close(); });
    on("Exit1", [this] { close(); });
    on("CH_MT_ComGuide", [this] { OpenWizard(); });
    on("EN_MT_ComGuide", [this] { OpenWizard(); });
    on("CH_MT_Doctor", [this] { ShowConnectionDoctor(state_, prompt_, paths_.read, this); });
    on("EN_MT_Doctor", [this] { ShowConnectionDoctor(state_, prompt_, paths_.read, this); });
    // The English alarm items do what their Chinese counterparts do.
    for (const char* item : {"CH_MV_AlmState", "CH_MV_AlmLog", "EN_MV_AlmState", "EN_MV_AlmLog"})
        on(item, [this] { ShowDialog(windows_.StatusMonitor); });
    on("CH_MV_Attribute", [this] { ShowDialog(windows_.Properties); });
    on("EN_MV_Attribute", [this] { ShowDialog(windows_.Properties); });
    on("CH_MV_ComInfo", [this] { ShowCommLog(); });
    // Motor data: enabled once a drive is read back, off again when a connection starts.
    for (const char* item : {"CH_MV_MotorData", "EN_MV_MotorData"}) {
        on(item, [this] { ShowDialog(windows_.MotorData); });
        Action(item)->setEnabled(false);
        connect(&drive_, &DriveSession::ReadBackDone, Action(item), [a = Action(item)] { a->setEnabled(true); });
        connect(&drive_, &DriveSession::ConnectStarted, Action(item), [a = Action(item)] { a->setEnabled(false); });
    }
    on("EN_MV_ComInfo", [this] { ShowCommLog(); });
    menus_->ConnectLanguageItems([this](uint8_t language) { SetLanguage(language); });
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
        menus_->Show(0);
    }
}

}  // namespace ordalis
