#pragma once
// Modal results the wizard pages hand back to the page that opened them.
namespace ordalis {

enum WizardResult {
    WizardBack = 11,      // Back: only this page closes
    WizardCloseAll = 12,  // Cancel, or a connection started: every page closes
};

}  // namespace ordalis
