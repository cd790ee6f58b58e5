#pragma once
// Entry points of the connection wizard used by the main window.
#include <cstdint>

class QTreeWidget;

namespace ordalis {

struct Session;
struct AppContext;

// Fills TreeView1 from the link record and tells whether a usable stored link exists.
// Each node keeps its picture index in Qt::UserRole of column 0.
bool FillLinkTree(QTreeWidget* tree, const Session& session);

// Creates the link-type page (TForm2) and shows it modally; the pages live only while
// the wizard is open.
void OpenConnectionWizard(AppContext& ctx);

}  // namespace ordalis
// The connect operation (Connector.h), the wizard pages and the connection-failure
// dialog (ConnectionFailureDialog.h) are declared in their own headers of this folder.
