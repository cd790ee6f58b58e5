#pragma once
// TreeView1 of the main window: the stored link as Link / COMn / addresses.
class QTreeWidget;

namespace ordalis {

struct Settings;

// Fills the tree from the link record and tells whether a usable stored link exists.
// Each node keeps its picture index in Qt::UserRole of column 0.
bool FillLinkTree(QTreeWidget* tree, const Settings& settings);

}  // namespace ordalis
