#include "wizard/AddressPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

#include "core/AddressSearch.h"
#include "wizard/WizardContext.h"
#include "core/Session.h"
#include "core/UiPrompt.h"
#include "core/DriveSession.h"
#include "wizard/WizardText.h"
#include "wizard/WizardApi.h"
#include "wizard/WizardResult.h"

namespace ordalis {

namespace {

struct TabNames {
    const char *sheet, *all, *chosen, *baud, *search, *add, *remove, *modify, *allLabel, *chosenLabel,
        *baudLabel;
};

constexpr TabNames kNames[AddressPage::kTabs] = {
    {"TabSheet3", "ListBox1", "ListBox2", "ComboBox1", "SeachButton1", "AddAddr1", "DelAddr1",
     "ModfAddrButton1", "AllAddrLab1", "SelAddrLab1", "Label9"},
    {"TabSheet5", "ListBox3", "ListBox4", "ComboBox2", "Button1", "Button3", "Button7", "Button2",
     "Label1", "Label2", "Label10"},
    {"TabSheet1", "ListBox5", "ListBox6", "ComboBox3", "Button8", "Button10", "Button11", "Button9",
     "Label3", "Label4", "Label11"},
    {"TabSheet2", "ListBox7", "ListBox8", "ComboBox4", "Button12", "Button14", "Button15", "Button13",
     "Label5", "Label6", "Label12"},
    {"TabSheet4", "ListBox9", "ListBox10", "ComboBox5", "Button16", "Button18", "Button19", "Button17",
     "Label7", "Label8", "Label13"},
};

const int32_t kRates[] = {9600, 19200, 57600, 115200};

QString Hex2(int value) { return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper(); }

}  // namespace

AddressPage::AddressPage(WizardContext& ctx, const QStringList& ports, QWidget* parent)
    : QDialog(parent), ctx_(ctx), ports_(ports.mid(0, kTabs)) {
    setObjectName("TForm6");
    setFixedSize(509, 351);
    pages_ = new QTabWidget(this);
    pages_->setObjectName("PageControl1");
    pages_->setGeometry(8, 8, 493, 296);
    for (int k = 0; k < kTabs; ++k) BuildTab(k);

    auto button = [this](const char* name, int x) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setGeometry(x, 316, 75, 25);
        return b;
    };
    backButton_ = button("Button4", 258);
    okButton_ = button("Button5", 342);
    cancelButton_ = button("Button6", 426);
    connect(backButton_, &QPushButton::clicked, this, [this] { done(WizardBack); });
    connect(okButton_, &QPushButton::clicked, this, &AddressPage::NextClicked);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { done(WizardCloseAll); });

    otherRates_ = new QCheckBox(this);
    otherRates_->setObjectName("OtherRates");
    otherRates_->setGeometry(8, 318, 240, 20);
    otherRates_->setChecked(ctx_.state.settings.TryOtherRates);
    connect(otherRates_, &QCheckBox::toggled, this, [this](bool on) { ctx_.state.settings.TryOtherRates = on; });

    search_ = new AddressSearch(ctx_.drive, this);
    connect(search_, &AddressSearch::Probing, this, [this](int address) {
        tabs_[searchTab_].all->item(address)->setText(RowText(address, QString()));
    });
    connect(search_, &AddressSearch::AddressDone, this, [this](int address, bool online) {
        tabs_[searchTab_].all->item(address)->setText(
            RowText(address, online ? Text(ctx_.state, {"--在线", "--OK"}) : Text(ctx_.state, {"不存在", "Offline"})));
        if (!search_->IsSearching()) UpdateSearchButtons();
    });
    connect(search_, &AddressSearch::EndedAtDriveCode, this, &AddressPage::SearchEnded);
    connect(search_, &AddressSearch::Finished, this, [this] {
        SearchEnded();
        ctx_.prompt.ShowText(Text(ctx_.state, {"探索完成!", "Search end!"}));
    });
    FillTabs();
    Translate();
}

AddressPage::~AddressPage() = default;

void AddressPage::BuildTab(int k) {
    const TabNames& n = kNames[k];
    Tab& t = tabs_[k];
    t.sheet = new QWidget;
    t.sheet->setObjectName(n.sheet);
    auto label = [&](const char* name, int x, int y, int w) {
        auto* l = new QLabel(t.sheet);
        l->setObjectName(name);
        l->setGeometry(x, y, w, 18);
        return l;
    };
    auto button = [&](const char* name, int y) {
        auto* b = new QPushButton(t.sheet);
        b->setObjectName(name);
        b->setGeometry(168, y, 136, 25);
        return b;
    };
    t.allLabel = label(n.allLabel, 8, 4, 150);
    t.baudLabel = label(n.baudLabel, 168, 4, 136);
    t.chosenLabel = label(n.chosenLabel, 314, 4, 160);
    t.all = new QListWidget(t.sheet);
    t.all->setObjectName(n.all);
    t.all->setGeometry(8, 24, 150, 236);
    t.chosen = new QListWidget(t.sheet);
    t.chosen->setObjectName(n.chosen);
    t.chosen->setGeometry(314, 24, 164, 236);
    t.baud = new QComboBox(t.sheet);
    t.baud->setObjectName(n.baud);
    t.baud->setGeometry(168, 24, 136, 24);
    for (int32_t rate : kRates) t.baud->addItem(QString::number(rate));
    t.baud->setCurrentText("115200");
    t.search = button(n.search, 60);
    t.modify = button(n.modify, 96);
    t.add = button(n.add, 156);
    t.remove = button(n.remove, 192);
    pages_->addTab(t.sheet, QString());

    connect(t.search, &QPushButton::clicked, this, [this, k] { SearchClicked(k); });
    connect(t.add, &QPushButton::clicked, this, [this, k] { AddClicked(k); });
    connect(t.all, &QListWidget::itemDoubleClicked, this, [this, k] { AddClicked(k); });
    connect(t.remove, &QPushButton::clicked, this, [this, k] { RemoveClicked(k); });
    connect(t.chosen, &QListWidget::itemDoubleClicked, this, [this, k] { RemoveClicked(k); });
    // The modify-address buttons have no action.
}

void AddressPage::FillTabs() {
    for (int k = 0; k < kTabs; ++k) {
        pages_->setTabVisible(k, false);
        pages_->setTabText(k, QString());
    }
    for (int k = 0; k < ports_.size(); ++k) {
        pages_->setTabText(k, ports_[k]);
        pages_->setTabVisible(k, true);
        QListWidget* all = tabs_[k].all;
        all->clear();
        for (int a = 0; a < kAddresses; ++a)
            all->addItem(Text(ctx_.state, {"地址:", "Addr:"}) + Hex2(a));
    }
    if (!ports_.isEmpty()) pages_->setCurrentIndex(0);
}

void AddressPage::showEvent(QShowEvent* event) {
    Translate();
    QDialog::showEvent(event);
}

void AddressPage::Translate() {
    const Session& s = ctx_.state;
    setWindowTitle(Text(s, {"连接向导-添加从机地址", "Connection Wizard-Add Slave Address"}));
    for (Tab& t : tabs_) {
        t.allLabel->setText(Text(s, {"地址列表:", "Slave address Table"}));
        t.chosenLabel->setText(Text(s, {"选择地址:", "Selection"}));
        t.baudLabel->setText(Text(s, {"波特率:", "&Baud Rate"}));
        t.baudLabel->setBuddy(t.baud);
        t.add->setText(Text(s, {"(&A)>>", ">>(&A)"}));
        t.remove->setText(Text(s, {"(&D)<<", "<<(&D)"}));
        t.search->setText(Text(s, {"(&S)搜索", "&Search"}));
        t.modify->setText(Text(s, {"(&M)强改地址", "&Modify Address"}));
    }
    backButton_->setText(Text(s, {"(&B)上一步", "&Back"}));
    okButton_->setText(Text(s, {"(&O)确定", "&OK"}));
    cancelButton_->setText(Text(s, {"(&C)取消", "&Cance"}));
    otherRates_->setText(Text(s, {"同时尝试其他波特率", "Also try other baud rates"}));
}

QString AddressPage::RowText(int address, const QString& mark) const {
    return Text(ctx_.state, {"地址:", "Addr:"}) + Hex2(address) + "..." + mark;
}

void AddressPage::AddClicked(int tab) {
    const Tab& t = tabs_[tab];
    const int row = t.all->currentRow();
    if (row < 0 || !t.all->currentItem()->isSelected()) return;
    // The row number is the address, whatever the row shows.
    const QString text = Hex2(row);
    if (t.chosen->findItems(text, Qt::MatchExactly).isEmpty()) t.chosen->addItem(text);
}

void AddressPage::RemoveClicked(int tab) {
    QListWidget* chosen = tabs_[tab].chosen;
    QListWidgetItem* item = chosen->currentItem();
    if (item && item->isSelected()) delete chosen->takeItem(chosen->row(item));
}

void AddressPage::UpdateSearchButtons() {
    for (Tab& t : tabs_) t.search->setEnabled(!IsSearching());
}

bool AddressPage::IsSearching() const { return search_->IsSearching(); }

void AddressPage::SearchClicked(int tab) {
    // One search at a time, and none while a connection is being set up on the port.
    if (IsSearching() || ctx_.drive.IsConnecting() || tab >= ports_.size()) return;
    searchTab_ = tab;
    const PortOpenError error = search_->Start(ports_[tab], otherRates_->isChecked());
    if (error != PortOpenError::None) {
        searchTab_ = -1;
        ctx_.prompt.ShowText(PortOpenErrorText(ctx_.state, ports_[tab], error));
        return;
    }
    UpdateSearchButtons();
}

void AddressPage::SearchEnded() {
    UpdateSearchButtons();
}

void AddressPage::NextClicked() {
    if (ports_.isEmpty()) return;

    LinkRecord record;
    const int active = pages_->currentIndex();
    int entries = 0;
    int selectedEntry = 0;
    for (int k = 0; k < ports_.size(); ++k) {
        if (k == active) selectedEntry = entries;
        const QListWidget* chosen = tabs_[k].chosen;
        if (chosen->count() == 0) continue;
        record.SetPort(entries, static_cast<uint8_t>(ports_[k].mid(3).toUInt()));
        record.SetBaud(entries, tabs_[k].baud->currentText().toInt());
        record.SetAddressCount(entries, static_cast<uint8_t>(chosen->count()));
        for (int i = 0; i < chosen->count(); ++i)
            record.SetAddress(entries, i, static_cast<uint8_t>(chosen->item(i)->text().toUInt(nullptr, 16)));
        ++entries;
    }
    if (entries == 0) {
        // The stored link stays as it was.
        ctx_.prompt.ShowText(Text(ctx_.state, {"请选择至少一个从机地址", "Please select at least one slave address!"}));
        return;
    }
    const QListWidget* activeChosen = tabs_[active].chosen;
    const QListWidgetItem* selectedRow = activeChosen->currentItem();
    const int selectedIndex =
        selectedRow && selectedRow->isSelected() ? activeChosen->row(selectedRow) : LinkRecord::kNone;
    record.SetEntryCount(static_cast<uint8_t>(entries));
    record.SetSelectedEntry(static_cast<uint8_t>(selectedEntry));
    record.SetSelectedAddressIndex(static_cast<uint8_t>(selectedIndex));
    Settings& settings = ctx_.state.settings;
    settings.linkRecord = record;
    settings.LastComMode = 1;
    if (selectedIndex == LinkRecord::kNone) {
        ctx_.prompt.ShowText(Text(ctx_.state, {"请在地址选择栏中选择将要连接的从机地址!", "Please select slave address!"}));
        return;
    }
    // OK is taken: a running search ends here, the connection takes the port over.
    search_->Stop();
    ctx_.connected = true;
    ctx_.drive.ConnectDrive(record.Port(selectedEntry), record.Baud(selectedEntry),
                            record.Address(selectedEntry, selectedIndex));
    done(WizardCloseAll);
}

}  // namespace ordalis
