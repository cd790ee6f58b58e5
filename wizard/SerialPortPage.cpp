#include "wizard/SerialPortPage.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>

#include "wizard/WizardContext.h"
#include "core/PortInfo.h"
#include "core/Session.h"
#include "core/SettingsFile.h"
#include "link/qt/PortMap.h"
#include "core/UiPrompt.h"
#include "link/SerialPort.h"
#include "wizard/AddressPage.h"
#include "wizard/WizardText.h"
#include "wizard/WizardResult.h"

namespace ordalis {

namespace {
constexpr int kMaxChosenPorts = 5;
constexpr int kDeviceRole = Qt::UserRole + 1;
constexpr int kAdapterRole = Qt::UserRole + 2;

// Shows "COM1  ttyUSB0" while the item's text stays the port name the pages work with.
class PortItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QString device = index.data(kDeviceRole).toString();
        if (!device.isEmpty()) option->text += QStringLiteral("  ") + QFileInfo(device).fileName();
    }
};

// The device a port name maps to; empty when the name is the device itself.
QString DeviceOf(const PortMap& map, const QString& name) {
    const QString device = map.DevicePath(name);
    return device == name ? QString() : device;
}
}  // namespace

QStringList SerialPortPage::ProbePorts(SerialPort& port) {
    QStringList found;
    for (int n = 1; n <= 5; ++n) {
        const QString name = QStringLiteral("COM%1").arg(n);
        port.SetCommName(name.toStdString());
        port.Close();
        switch (port.Open()) {
        case PortOpenError::None:
        case PortOpenError::PortInUse:
            port.Close();
            found << name;
            break;
        case PortOpenError::NoSuchPort:
            break;
        case PortOpenError::Other:
            port.Close();
            break;
        }
    }
    return found;
}

SerialPortPage::SerialPortPage(WizardContext& ctx, QWidget* parent) : QDialog(parent), ctx_(ctx) {
    setObjectName("TForm4");
    setFixedSize(371, 276);
    auto label = [this](const char* name, int x, int y, int w) {
        auto* l = new QLabel(this);
        l->setObjectName(name);
        l->setGeometry(x, y, w, 18);
        return l;
    };
    auto button = [this](const char* name, int x, int y, int w) {
        auto* b = new QPushButton(this);
        b->setObjectName(name);
        b->setGeometry(x, y, w, 25);
        return b;
    };
    hintLabel_ = label("Label4", 8, 8, 355);
    availableLabel_ = label("Label1", 8, 32, 140);
    chosenLabel_ = label("Label2", 223, 32, 140);
    available_ = new QListWidget(this);
    available_->setObjectName("ListBox1");
    available_->setGeometry(8, 52, 140, 140);
    available_->setItemDelegate(new PortItemDelegate(available_));
    chosen_ = new QListWidget(this);
    chosen_->setObjectName("ListBox2");
    chosen_->setGeometry(223, 52, 140, 140);
    chosen_->setItemDelegate(new PortItemDelegate(chosen_));
    // The current port's device and USB adapter in full.
    portDetail_ = new QLabel(this);
    portDetail_->setObjectName("PortDetail");
    portDetail_->setGeometry(8, 196, 355, 40);
    portDetail_->setWordWrap(true);
    portDetail_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    addButton_ = button("Button1", 156, 92, 59);
    removeButton_ = button("Button2", 156, 140, 59);
    backButton_ = button("Button3", 122, 242, 75);
    nextButton_ = button("Button4", 205, 242, 75);
    cancelButton_ = button("Button5", 288, 242, 75);
    nextButton_->setDefault(true);

    connect(addButton_, &QPushButton::clicked, this, &SerialPortPage::AddClicked);
    connect(available_, &QListWidget::itemDoubleClicked, this, &SerialPortPage::AddClicked);
    connect(available_, &QListWidget::itemPressed, this, [this] { addButton_->setFocus(); });
    connect(available_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) { ShowDetail(item); });
    connect(chosen_, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) { ShowDetail(item); });
    connect(removeButton_, &QPushButton::clicked, this, &SerialPortPage::RemoveClicked);
    connect(chosen_, &QListWidget::itemDoubleClicked, this, &SerialPortPage::RemoveClicked);
    connect(backButton_, &QPushButton::clicked, this, [this] { done(WizardBack); });
    connect(nextButton_, &QPushButton::clicked, this, &SerialPortPage::NextClicked);
    connect(cancelButton_, &QPushButton::clicked, this, [this] { done(WizardCloseAll); });
    Translate();
}

void SerialPortPage::showEvent(QShowEvent* event) {
    Translate();
    QDialog::showEvent(event);
}

void SerialPortPage::Translate() {
    const Session& s = ctx_.state;
    setWindowTitle(Text(s, {"连接向导-选择串口", "Select port"}));
    availableLabel_->setText(Text(s, {"可供选择的串口号", "valid Com Port Table"}));
    chosenLabel_->setText(Text(s, {"连接串口号", "Selection"}));
    hintLabel_->setText(Text(s, {"从可选列表中选择串口号", "Select Com Port from valid Com port Table"}));
    addButton_->setText(Text(s, {"(&A)>>", ">>(&A)"}));
    removeButton_->setText(Text(s, {"(&D)<<", "<<(&D)"}));
    backButton_->setText(Text(s, {"(&B)上一步", "&Back"}));
    nextButton_->setText(Text(s, {"(&N)下一步", "&Next"}));
    cancelButton_->setText(Text(s, {"(&C)取消", "&Cance"}));
}

void SerialPortPage::SetAvailablePorts(const QStringList& ports) {
    available_->clear();
    // The mapping the program's port uses: the [ports] section of the settings file.
    const PortMap map = PortMap::FromIni(ResolveSettingsPaths(QCoreApplication::applicationDirPath()).read);
    for (const QString& name : ports) {
        auto* item = new QListWidgetItem(name, available_);
        const QString device = DeviceOf(map, name);
        const QString adapter = device.isEmpty() ? QString() : AdapterDescription(device);
        item->setData(kDeviceRole, device);
        item->setData(kAdapterRole, adapter);
        item->setToolTip(device.isEmpty() ? name : name + ": " + device + (adapter.isEmpty() ? QString() : " - " + adapter));
    }
    ShowDetail(available_->currentItem());
}

void SerialPortPage::ShowDetail(const QListWidgetItem* item) {
    if (!item) {
        portDetail_->clear();
        return;
    }
    const QString device = item->data(kDeviceRole).toString();
    const QString adapter = item->data(kAdapterRole).toString();
    QString text = item->text();
    if (!device.isEmpty()) text += QStringLiteral(": ") + device;
    if (!adapter.isEmpty()) text += QStringLiteral("\n") + adapter;
    portDetail_->setText(text);
}

QStringList SerialPortPage::ChosenPorts() const {
    QStringList ports;
    for (int i = 0; i < chosen_->count(); ++i) ports << chosen_->item(i)->text();
    return ports;
}

void SerialPortPage::AddClicked() {
    const QListWidgetItem* item = available_->currentItem();
    if (!item || !item->isSelected()) return;
    if (chosen_->count() >= kMaxChosenPorts) {
        ctx_.prompt.ShowText(Text(ctx_.state, {"最多有五个选项!", "Up to five options!"}));
        return;
    }
    if (chosen_->findItems(item->text(), Qt::MatchExactly).isEmpty()) chosen_->addItem(item->clone());
}

void SerialPortPage::RemoveClicked() {
    QListWidgetItem* item = chosen_->currentItem();
    if (item && item->isSelected()) delete chosen_->takeItem(chosen_->row(item));
}

void SerialPortPage::NextClicked() {
    if (chosen_->count() == 0) {
        ctx_.prompt.ShowText(
            Text(ctx_.state, {"请选择一个有效的串口!", "Please select a valid communication port!"}));
        return;
    }
    AddressPage page(ctx_, ChosenPorts(), ctx_.parent);
    if (ctx_.prompt.ExecModal(page) == WizardCloseAll) done(WizardCloseAll);
}

}  // namespace ordalis
