#pragma once
// TForm9: names the port and slave address of the link that stopped answering and offers
// to try it again, to start the connection wizard, or to leave the link silent.
#include <QDialog>

class QLabel;
class QPushButton;

namespace ordalis {

struct WizardContext;

class ConnectionFailureDialog : public QDialog {
    Q_OBJECT
public:
    ConnectionFailureDialog(WizardContext& ctx, QWidget* parent);

    // Texts from the link record's selection and the language.
    void Prepare();
    // The message for a port number and slave address in the given language.
    static QString Message(int languageIndex, int port, int address);

    void RetryClicked();
    void NewConnectionClicked();

signals:
    // New Connection: the dialog has closed; the wizard's first page should open.
    void NewConnectionRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FitToMessage();

    WizardContext& ctx_;
    QLabel* message_;
    QPushButton* retryButton_;
    QPushButton* cancelButton_;
    QPushButton* newButton_;
};

}  // namespace ordalis
