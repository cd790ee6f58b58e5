#pragma once
// TForm6: the last wizard page. One tab per chosen port: search the bus for drives at
// addresses 0x00 to 0x0F, choose addresses and a baud rate; OK stores the link record and
// connects to the selected address.
#include <QDialog>
#include <QStringList>
#include <array>
#include <cstdint>
#include <vector>

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace ordalis {

struct AppContext;

class AddressPage : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTabs = 5;
    static constexpr int kAddresses = 16;

    AddressPage(AppContext& ctx, const QStringList& ports, QWidget* parent);
    ~AddressPage() override;

    void Translate();
    void AddClicked(int tab);
    void RemoveClicked(int tab);
    void SearchClicked(int tab);
    void NextClicked();
    void AddressSearchStep(uint16_t status, const uint8_t* data, uint8_t length);
    bool IsSearching() const { return searchTab_ >= 0; }

    // An address silent at the port's rate is probed once more at each other rate, so a
    // drive left at another rate by an earlier connection is still found. On by default.
    void SetTryOtherRates(bool on) { tryOtherRates_ = on; }

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
    void ProbeCurrentAddress();
    void AddressDone(const QString& mark);
    void EndSearch();
    void UpdateSearchButtons();

    AppContext& ctx_;
    QStringList ports_;
    QTabWidget* pages_;
    std::array<Tab, kTabs> tabs_;
    QPushButton* backButton_;
    QPushButton* okButton_;
    QPushButton* cancelButton_;

    int searchTab_ = -1;       // tab whose search runs, -1 when none
    int32_t portRate_ = 9600;  // the rate the search runs at
    std::vector<int32_t> otherRates_;  // still to try for the current address
    bool tryOtherRates_ = true;
};

}  // namespace ordalis
