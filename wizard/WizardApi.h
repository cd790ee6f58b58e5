#pragma once
// Entry points of the connection wizard used by the main window.
#include <cstdint>

class QTreeWidget;

namespace ordalis {

struct Session;
class ShellHooks;
class UiPrompt;
class TimerFactory;

// Fills TreeView1 from the link record and tells whether a usable stored link exists.
bool FillLinkTree(QTreeWidget* tree, const Session& session);

}  // namespace ordalis
// The connect operation (ConnectDrive, BaudSwitchStep), the wizard pages and the
// connection-failure dialog (TForm9) are declared in their own headers of this folder.
