#include "scope/ScopeGains.h"

#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/DriveAccess.h"
#include "core/UiPrompt.h"
#include "model/ParameterMirror.h"
#include "scope/ScopeTexts.h"

namespace ordalis {

using namespace scopetext;

const std::array<GainEdit, 10> kGainEdits = {{
    {"Edit9", "Pp:", pid::Pp, true},
    {"Edit10", "Vff:", pid::Vff, true},
    {"Edit11", "Vp:", pid::Vp, true},
    {"Edit12", "Vi:", pid::Vi, true},
    {"Edit13", "Cp:", pid::Cp, true},
    {"Edit14", "Ci:", pid::Ci, true},
    {"Edit15", "", pid::Res1Amplitude, false},
    {"Edit16", "", pid::Res1Phase, false},
    {"Edit17", "", pid::Res2Amplitude, false},
    {"Edit18", "", pid::Res2Phase, false},
}};

namespace {

constexpr ValueRange kGainRange{-32768, 32767};
constexpr ValueRange kLimitRange{0, 65535};

QWidget* Page(QTabWidget* tabs, const char* name) {
    auto* page = new QWidget(tabs);
    page->setObjectName(QString::fromLatin1(name));
    tabs->addTab(page, QString());
    return page;
}

QLabel* Label(QWidget* parent, const char* name, const QString& text = {}) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

}  // namespace

ScopeGains::ScopeGains(DriveAccess& drive, QGroupBox* source, QTabWidget* options)
    : QObject(source), drive_(drive), source_(source), options_(options) {
    // Signal source: function generator and (empty) trajectory generator.
    auto* sourceLayout = new QVBoxLayout(source_);
    sourceLayout->setContentsMargins(4, 4, 4, 4);
    generatorTabs_ = new QTabWidget(source_);
    sourceLayout->addWidget(generatorTabs_);
    QWidget* gen = Page(generatorTabs_, "TabSheet1");
    Page(generatorTabs_, "TabSheet2");
    auto* g = new QGridLayout(gen);
    g->setContentsMargins(4, 4, 4, 4);
    g->setVerticalSpacing(3);
    const char* labelNames[4] = {"Label1", "Label2", "Label3", "Label4"};
    for (int i = 0; i < 4; ++i) labels_[i] = Label(gen, labelNames[i]);
    comboBox1_ = new QComboBox(gen);
    comboBox1_->setObjectName(QStringLiteral("ComboBox1"));
    comboBox2_ = new QComboBox(gen);
    comboBox2_->setObjectName(QStringLiteral("ComboBox2"));
    auto* edit1 = new QLineEdit(QStringLiteral("1000"), gen);
    edit1->setObjectName(QStringLiteral("Edit1"));
    auto* edit2 = new QLineEdit(QStringLiteral("1"), gen);
    edit2->setObjectName(QStringLiteral("Edit2"));
    edit1->setMinimumWidth(64);
    edit2->setMinimumWidth(64);
    g->addWidget(labels_[0], 0, 0);
    g->addWidget(comboBox1_, 0, 1, 1, 2);
    g->addWidget(labels_[1], 1, 0);
    g->addWidget(comboBox2_, 1, 1, 1, 2);
    g->addWidget(labels_[2], 2, 0);
    g->addWidget(edit1, 2, 1);
    g->addWidget(Label(gen, "Label5", QStringLiteral("pulse")), 2, 2);
    g->addWidget(labels_[3], 3, 0);
    g->addWidget(edit2, 3, 1);
    g->addWidget(Label(gen, "Label6", QStringLiteral("Hz")), 3, 2);
    button2_ = new QPushButton(gen);
    button2_->setObjectName(QStringLiteral("Button2"));
    button3_ = new QPushButton(gen);
    button3_->setObjectName(QStringLiteral("Button3"));
    g->addWidget(button2_, 4, 0, 1, 2);
    g->addWidget(button3_, 4, 2);
    // Start and stop send nothing to the drive.

    // Gains: three columns of label and edit pairs.
    pages_[0] = Page(options_, "TabSheet4");
    auto* gains = new QGridLayout(pages_[0]);
    gains->setContentsMargins(12, 12, 12, 12);
    gains->setHorizontalSpacing(8);
    for (int i = 0; i < 10; ++i) {
        const GainEdit& e = kGainEdits[static_cast<size_t>(i)];
        QWidget* parent = i < 6 ? pages_[0] : nullptr;
        auto* edit = new QLineEdit(QString::fromLatin1(i < 6 ? "1000" : "0"), parent);
        edit->setObjectName(QString::fromLatin1(e.objectName));
        edit->setMaximumWidth(90);
        edit->installEventFilter(this);
        edits_[static_cast<size_t>(i)] = edit;
        if (i < 6) {
            const int column = i / 2, row = i % 2;
            gains->addWidget(Label(pages_[0], "", QString::fromLatin1(e.label)), row, column * 2);
            gains->addWidget(edit, row, column * 2 + 1);
        }
    }
    gains->setRowStretch(2, 1);

    // Limits: four edits one below the other and the demonstration-plot button.
    pages_[1] = Page(options_, "TabSheet5");
    auto* limits = new QGridLayout(pages_[1]);
    limits->setContentsMargins(12, 8, 12, 8);
    for (int i = 6; i < 10; ++i) {
        edits_[static_cast<size_t>(i)]->setParent(pages_[1]);
        limits->addWidget(edits_[static_cast<size_t>(i)], i - 6, 0);
    }
    auto* button1 = new QPushButton(QStringLiteral("Button1"), pages_[1]);
    button1->setObjectName(QStringLiteral("Button1"));
    button1->setMinimumSize(160, 80);
    limits->addWidget(button1, 0, 1, 4, 1);
    limits->setColumnStretch(2, 1);
    connect(button1, &QPushButton::clicked, this, [this] {
        if (OnDemoPlot) OnDemoPlot();
    });
    pages_[2] = Page(options_, "TabSheet6");
    pages_[3] = Page(options_, "TabSheet7");
}

void ScopeGains::ApplyTexts(uint8_t lang) {
    source_->setTitle(kGroupBox1.Text(lang));
    generatorTabs_->setTabText(0, kTabSheet1.Text(lang));
    generatorTabs_->setTabText(1, kTabSheet2.Text(lang));
    const TextPair* labelTexts[4] = {&kLabel1, &kLabel2, &kLabel3, &kLabel4};
    for (int i = 0; i < 4; ++i) labels_[i]->setText(labelTexts[i]->Text(lang));
    button2_->setText(kButton2.Text(lang));
    button3_->setText(kButton3.Text(lang));
    for (auto [combo, items] : {std::pair{comboBox1_, &kComboBox1}, std::pair{comboBox2_, &kComboBox2}}) {
        combo->clear();
        combo->addItems(items->Text(lang).split(QStringLiteral("\r\n")));
        combo->setCurrentIndex(0);
    }
    const TextPair* pageTexts[4] = {&kTabSheet4, &kTabSheet5, &kTabSheet6, &kTabSheet7};
    for (int i = 0; i < 4; ++i) options_->setTabText(options_->indexOf(pages_[i]), pageTexts[i]->Text(lang));
}

void ScopeGains::FillScopeGains() {
    const ParameterMirror& m = drive_.Mirror();
    for (size_t i = 0; i < kGainEdits.size(); ++i) {
        const GainEdit& e = kGainEdits[i];
        edits_[i]->setText(e.isSigned ? QString::number(m.GetI16(e.id)) : QString::number(m.GetU16(e.id)));
    }
}

void ScopeGains::EditExit(int i) {
    if (reporting_) return;  // the message box took the focus from this edit
    const GainEdit& e = kGainEdits[static_cast<size_t>(i)];
    const QString text = edits_[static_cast<size_t>(i)]->text();
    const uint8_t lang = drive_.Language();
    bool ok = false;
    const int v = text.toInt(&ok);
    QString message;
    if (!ok) {
        message = kNotInteger.Text(lang).arg(text);
    } else {
        const ValueRange range = e.isSigned ? kGainRange : kLimitRange;
        if (drive_.WriteParameter(e.id, v, range) == WriteOutcome::OutOfRange)
            message = kOutOfRange.Text(lang).arg(text).arg(range.min).arg(range.max);
    }
    if (message.isEmpty()) return;
    reporting_ = true;
    drive_.Prompt().ShowText(message);
    reporting_ = false;
}

// Leaving an edit runs its exit action (not a switch to another window or a popup). Keys:
// digits, Backspace and Enter pass; Enter runs the exit action at once, keeping the focus.
bool ScopeGains::eventFilter(QObject* watched, QEvent* event) {
    const auto it = std::find(edits_.begin(), edits_.end(), watched);
    if (it == edits_.end()) return false;
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason)
            EditExit(static_cast<int>(it - edits_.begin()));
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        EditExit(static_cast<int>(it - edits_.begin()));
        return true;
    }
    if (key->key() == Qt::Key_Backspace) return false;
    const QString t = key->text();
    if (t.size() == 1 && t[0].isDigit() && t[0].unicode() < 128) return false;
    // Navigation and editing keys without text (arrows, Delete, Tab) keep working.
    return !t.isEmpty() && t[0].isPrint();
}

}  // namespace ordalis
