#pragma once
// What the connection wizard and the failure dialog need of the main window.
class QTreeWidget;
class QWidget;

namespace ordalis {

class ShellHooks {
public:
    virtual ~ShellHooks() = default;
    virtual QWidget* MainWidget() = 0;       // parent and centring of the wizard pages
    virtual QTreeWidget* LinkTree() = 0;     // TreeView1, filled by FillLinkTree
    virtual void StopPollTimer() = 0;        // RdErrorIntval disabled
    virtual void ShowConnectionFailure() = 0;  // TForm9, modal
    virtual void OpenConnectionWizard() = 0;   // a new TForm2, modal
};

}  // namespace ordalis
