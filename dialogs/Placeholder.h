#pragma once
// A hidden top-level window with the right objectName, standing in for a window that is
// not built yet.
#include <QString>
#include <QWidget>

namespace ordalis {

inline QWidget* Placeholder(QWidget* parent, const char* objectName, const char* title)
{
    auto* w = new QWidget(parent, Qt::Window);
    w->setObjectName(QString::fromLatin1(objectName));
    w->setWindowTitle(QString::fromUtf8(title));
    w->resize(320, 200);
    w->hide();
    return w;
}

}  // namespace ordalis
