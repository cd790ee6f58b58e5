#pragma once
// The running program's prompts: message boxes with one OK button and QDialog::exec.
#include "core/UiPrompt.h"

class QWidget;

namespace ordalis {

class QtUiPrompt : public UiPrompt {
public:
    void SetParent(QWidget* parent) { parent_ = parent; }
    int ExecModal(QDialog& dialog) override;
    void ShowText(const QString& text) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace ordalis
