#pragma once
// Records messages and modal dialogs instead of blocking on them. A test scripts what a
// modal dialog does through onModal (e.g. click a button); by default it returns Rejected.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/UiPrompt.h"

namespace ordalis::test {

class RecordingUiPrompt : public UiPrompt {
public:
    QStringList messages;
    QStringList modals;  // objectName of each dialog shown modally, in order
    std::function<int(QDialog&)> onModal;

    void ShowText(const QString& text) override { messages << text; }
    int ExecModal(QDialog& dialog) override {
        modals << dialog.objectName();
        if (onModal) return onModal(dialog);
        return QDialog::Rejected;
    }
};

}  // namespace ordalis::test
