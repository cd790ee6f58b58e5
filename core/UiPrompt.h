#pragma once
// Every message box and modal dialog of the program goes through this interface, so
// GUI tests can record prompts instead of blocking on them.
#include <QString>

#include "link/Prompt.h"

class QDialog;

namespace ordalis {

class UiPrompt : public Prompt {
public:
    // Modal show; returns the dialog's result.
    virtual int ExecModal(QDialog& dialog) = 0;
    void ShowMessage(const std::string& text) override { ShowText(QString::fromStdString(text)); }
    virtual void ShowText(const QString& text) = 0;
};

}  // namespace ordalis
