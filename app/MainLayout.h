#pragma once
// Builds the main window's widgets (tool bar, connection tree, model panel, status bar);
// the window connects them.
#include <array>

class QFrame;
class QMainWindow;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;
class QTreeWidget;

namespace ordalis {

constexpr int kMainClientWidth = 728;
constexpr int kMainClientHeight = 464;

struct MainLayout {
    QToolBar* toolBar = nullptr;      // ToolBar1
    QTreeWidget* tree = nullptr;      // TreeView1
    QMenu* treePopup = nullptr;       // PopupMenu1
    QFrame* panel = nullptr;          // RzPanel1
    std::array<QPushButton*, 4> modelButtons{};  // Button1..Button4, hidden
};

MainLayout BuildMainLayout(QMainWindow* window);
QToolButton* ToolButton(QToolBar* bar, const char* name);

}  // namespace ordalis
