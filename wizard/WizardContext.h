#pragma once
// What the wizard pages and the failure dialog work with, handed down from page to page.
class QWidget;

namespace ordalis {

struct Session;
class DriveSession;
class UiPrompt;

struct WizardContext {
    Session& state;
    DriveSession& drive;
    UiPrompt& prompt;
    QWidget* parent;         // the main window: parent and centring of the pages
    bool connected = false;  // OK on the address page started a connection
};

}  // namespace ordalis
