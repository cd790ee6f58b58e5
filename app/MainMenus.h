#pragma once
// The two main menus of the main window: ChnMenu_Admin (Chinese) and EngMenu_User
// (English). Each keeps its own captions; groups are QMenus and items QActions, both
// named by objectName.
class QMenuBar;
class QWidget;

namespace ordalis {

QMenuBar* BuildChineseMenu(QWidget* parent);
QMenuBar* BuildEnglishMenu(QWidget* parent);

}  // namespace ordalis
