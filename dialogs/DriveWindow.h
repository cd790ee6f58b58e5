#pragma once
// Shared by the windows of this folder.
// What the drive windows share: a top-level window of the main window with a system menu
// and a minimise button, of fixed size, centred on the main window each time it opens;
// closing only hides it. Each showing runs FormShow, which sets the captions in the
// current language. The fixed size is the design size, grown where the texts of the
// current language need more room, so nothing is cut off.
#include <QSize>
#include <QWidget>

namespace ordalis {

class DriveAccess;

class DriveWindow : public QWidget {
public:
    DriveWindow(DriveAccess& drive, QWidget* parent, const char* objectName, QSize clientSize);

    // Captions by the language and the controls from the mirror; sends nothing.
    virtual void FormShow() = 0;

protected:
    void showEvent(QShowEvent* event) override;
    // Fixes the size for the texts now set.
    void FitSize();

    DriveAccess& drive_;

private:
    QSize clientSize_;
};

}  // namespace ordalis
