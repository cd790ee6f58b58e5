#include "dialogs/DriveWindow.h"

#include <QLayout>
#include <QShowEvent>

namespace ordalis {

DriveWindow::DriveWindow(DriveAccess& drive, QWidget* parent, const char* objectName, QSize clientSize)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      drive_(drive),
      clientSize_(clientSize) {
    setObjectName(QString::fromLatin1(objectName));
    hide();
}

void DriveWindow::FitSize() {
    if (layout()) layout()->activate();
    setFixedSize(clientSize_.expandedTo(minimumSizeHint()));
}

void DriveWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FormShow();
        FitSize();
        if (QWidget* main = parentWidget()) move(main->geometry().center() - rect().center());
    }
    QWidget::showEvent(event);
}

}  // namespace ordalis
