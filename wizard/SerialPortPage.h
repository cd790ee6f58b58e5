#pragma once
// TForm4: the wizard page choosing up to five of the COM ports that exist. Each port shows
// the device it maps to; the current one its device and USB adapter in full.
#include <QDialog>
#include <QStringList>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace ordalis {

struct WizardContext;
class SerialPort;

class SerialPortPage : public QDialog {
    Q_OBJECT
public:
    SerialPortPage(WizardContext& ctx, QWidget* parent);

    // "COM1" .. "COM5" that can be opened or are held by another program. Closes the
    // port and leaves it naming COM5.
    static QStringList ProbePorts(SerialPort& port);

    void SetAvailablePorts(const QStringList& ports);
    QStringList ChosenPorts() const;

    void Translate();
    void AddClicked();
    void RemoveClicked();
    void NextClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowDetail(const QListWidgetItem* item);

    WizardContext& ctx_;
    QListWidget* available_;
    QListWidget* chosen_;
    QPushButton* addButton_;
    QPushButton* removeButton_;
    QPushButton* backButton_;
    QPushButton* nextButton_;
    QPushButton* cancelButton_;
    QLabel* availableLabel_;
    QLabel* chosenLabel_;
    QLabel* hintLabel_;
    QLabel* portDetail_;
};

}  // namespace ordalis
