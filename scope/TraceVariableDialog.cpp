#include "scope/TraceVariableDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include "core/DriveAccess.h"
#include "core/TextPair.h"
#include "core/TraceVariables.h"
#include "core/UiPrompt.h"
#include "scope/TraceVariableChoice.h"

namespace ordalis {

namespace {
const TextPair kCaption{"第%1通道跟踪变量选择", "channel %1 Trace variables Selection"};
const TextPair kLabel1{"类型选项:", "Category: "};
const TextPair kLabel2{"跟踪变量", "Trace variables"};
const TextPair kOk{"确定", "Ok"};
const TextPair kCancel{"取消", "Cance"};
}  // namespace

TraceVariableDialog::TraceVariableDialog(DriveAccess& drive, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      drive_(drive) {
    setObjectName(QStringLiteral("TForm8"));
    setModal(true);
    setFixedSize(340, 232);
    label1_ = new QLabel(this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setGeometry(16, 8, 129, 18);
    label2_ = new QLabel(this);
    label2_->setObjectName(QStringLiteral("Label2"));
    label2_->setGeometry(184, 8, 138, 18);
    listBox1_ = new QListWidget(this);
    listBox1_->setObjectName(QStringLiteral("ListBox1"));
    listBox1_->setGeometry(16, 28, 129, 155);
    listBox2_ = new QListWidget(this);
    listBox2_->setObjectName(QStringLiteral("ListBox2"));
    listBox2_->setGeometry(184, 28, 138, 155);
    button1_ = new QPushButton(this);
    button1_->setObjectName(QStringLiteral("Button1"));
    button1_->setGeometry(72, 194, 75, 27);
    button2_ = new QPushButton(this);
    button2_->setObjectName(QStringLiteral("Button2"));
    button2_->setGeometry(200, 194, 75, 27);
    connect(listBox1_, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(button1_, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(button2_, &QPushButton::clicked, this, &QDialog::reject);  // the result stays cleared
    hide();
}

void TraceVariableDialog::FormShow() {
    selectedName_.clear();
    selectedCode_ = 0;
    const uint8_t lang = drive_.Language();
    setWindowTitle(kCaption.Text(lang).arg(dialogChannel_));
    label1_->setText(kLabel1.Text(lang));
    label2_->setText(kLabel2.Text(lang));
    button1_->setText(kOk.Text(lang));
    button2_->setText(kCancel.Text(lang));
    listBox1_->clear();
    listBox1_->addItems(TraceCategories(lang));
    const int channel = dialogChannel_ - 1;
    const int code = channel >= 0 && channel < TraceChannels ? drive_.Trace().TraceVariable[channel] : 0;
    int category = 0, position = 0;
    if (code != 0 && FindTraceVariable(code, category, position)) {
        FillVariables(category);
        // Only what exists in this language is selected.
        if (category < listBox1_->count()) listBox1_->setCurrentRow(category);
        if (position < listBox2_->count()) listBox2_->setCurrentRow(position);
    }
}

void TraceVariableDialog::FillVariables(int category) {
    listBox2_->clear();
    listBox2_->addItems(TraceVariables(category, drive_.Language()));
    listBox2_->setCurrentRow(-1);
    listedCategory_ = category;
}

void TraceVariableDialog::ListBox1Click() { FillVariables(listBox1_->currentRow()); }

void TraceVariableDialog::Button1Click() {
    const int category = listBox1_->currentRow();
    const int position = listBox2_->currentRow();
    if (position >= 0 && listBox2_->currentItem() && listBox2_->currentItem()->isSelected() &&
        category == listedCategory_) {
        selectedName_ = listBox2_->currentItem()->text();
        selectedCode_ = TraceVariableCode(category, position);
    } else if (category == 0) {
        selectedName_ = listBox1_->item(0)->text();
        selectedCode_ = 0;
    }
    // Otherwise (a category without a variable, none at all, or a variable list left
    // from an earlier channel): no selection.
    accept();
}

QDialog* CreateTraceVariableDialog(DriveAccess& drive, QWidget* parent) {
    return new TraceVariableDialog(drive, parent);
}

TraceChoice ChooseTraceVariable(QDialog& dialog, int channel) {
    auto* d = qobject_cast<TraceVariableDialog*>(&dialog);
    if (!d) return {};
    d->SetDialogChannel(channel);
    d->FormShow();
    d->Drive().Prompt().ExecModal(*d);
    if (d->SelectedName().isEmpty()) return {};
    return {true, d->SelectedName(), d->SelectedCode()};
}

}  // namespace ordalis
