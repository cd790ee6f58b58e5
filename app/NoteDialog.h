#pragma once
// TForm10: the note shown before the start-up reconnect. It translates itself when shown.
#include <QDialog>

class QLabel;
class QPushButton;

namespace ordalis {

struct Settings;

class NoteDialog : public QDialog {
    Q_OBJECT
public:
    NoteDialog(const Settings& settings, QWidget* parent = nullptr);
    void Translate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    const Settings& settings_;
    QLabel* label_;
    QPushButton* okButton_;
};

}  // namespace ordalis
