#pragma once
// TForm2: the first wizard page, choosing the physical link.
#include <QDialog>

class QGroupBox;
class QPushButton;
class QRadioButton;

namespace ordalis {

struct WizardContext;

class LinkTypePage : public QDialog {
    Q_OBJECT
public:
    LinkTypePage(WizardContext& ctx, QWidget* parent);

    void Translate();
    void NextClicked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    WizardContext& ctx_;
    QGroupBox* selBox_;
    QRadioButton* uartSel_;
    QRadioButton* usbSel_;
    QRadioButton* canSel_;
    QRadioButton* etherNet_;
    QPushButton* nextButton_;
    QPushButton* cancelButton_;
};

}  // namespace ordalis
