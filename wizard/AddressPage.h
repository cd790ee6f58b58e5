#pragma once
// TForm6: the last wizard page. One tab per chosen port: search the bus for drives at
// addresses 0x00 to 0x0F (the search itself is core's AddressSearch), choose addresses
// and a baud rate; OK stores the link record and connects to the selected address.
#include <QDialog>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace ordalis {

class AddressSearch;
struct WizardContext;

class AddressPage : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTabs = 5;
    static constexpr int kAddresses = 16;

    AddressPage(WizardContext& ctx, const QStringList& ports, QWidget* parent);
    ~AddressPage() override;

    void Translate();
    void AddClicked(int tab);
    void RemoveClicked(int tab);
    void SearchClicked(int tab);
    void NextClicked();
    bool IsSearching() const;
    AddressSearch& Search() { return *search_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Tab {
        QWidget* sheet = nullptr;
        QListWidget* all = nullptr;
        QListWidget* chosen = nullptr;
        QComboBox* baud = nullptr;
        QPushButton* search = nullptr;
        QPushButton* add = nullptr;
        QPushButton* remove = nullptr;
        QPushButton* modify = nullptr;
        QLabel* allLabel = nullptr;
        QLabel* chosenLabel = nullptr;
        QLabel* baudLabel = nullptr;
    };

    void BuildTab(int k);
    void FillTabs();
    QString RowText(int address, const QString& mark) const;
    void SearchEnded();
    void UpdateSearchButtons();

    WizardContext& ctx_;
    QStringList ports_;
    QTabWidget* pages_;
    std::array<Tab, kTabs> tabs_;
    QPushButton* backButton_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
    QCheckBox* otherRates_;

    AddressSearch* search_;  // child of this: ends with the page, restoring the link
    int searchTab_ = -1;     // tab whose list the search marks, -1 when none
};

}  // namespace ordalis
