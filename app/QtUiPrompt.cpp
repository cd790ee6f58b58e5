#include "app/QtUiPrompt.h"

#include <QCoreApplication>
#include <QDialog>
#include <QMessageBox>

namespace ordalis {

int QtUiPrompt::ExecModal(QDialog& dialog) {
    return dialog.exec();
}

void QtUiPrompt::ShowText(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent_);
    box.exec();
}

}  // namespace ordalis
