#pragma once
// The drive's properties: model, serial number, versions and current ratings.
#include <QString>

#include "dialogs/DriveWindow.h"

class QLabel;
class QPushButton;
class QWidget;

namespace ordalis {

class ParameterMirror;

// The property lines as the mirror holds them, joined by CR LF, in the language.
QString PropertiesText(const ParameterMirror& mirror, uint8_t languageIndex);

// TForm11: read-only; its text is rebuilt at each showing.
class PropertiesWindow : public DriveWindow {
public:
    PropertiesWindow(DriveAccess& drive, QWidget* parent);

    void FormShow() override { ShowProperties(); }
    void ShowProperties();
    QLabel* Text() const { return text_; }
    QString PlainText() const { return plain_; }

private:
    QLabel* heading_;
    QLabel* text_;
    QPushButton* okButton_;
    QString plain_;
};

// Creates the window (TForm11) hidden, as a top-level window of parent.
QWidget* CreatePropertiesWindow(DriveAccess& drive, QWidget* parent);

}  // namespace ordalis
