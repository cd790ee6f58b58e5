#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <iterator>

#include "app/MainMenus.h"
#include "app/MainTexts.h"
#include "app/NoteDialog.h"
#include "app/ProgressWindow.h"
#include "core/Session.h"
#include "core/SettingsFile.h"
#include "app/ToolIcons.h"
#include "core/UiPrompt.h"
#include "wizard/ConnectionFailureDialog.h"
#include "wizard/Connector.h"
#include "wizard/WizardApi.h"

namespace ordalis {

namespace {
constexpr int kClientWidth = 728;
constexpr int kClientHeight = 464;
constexpr int kToolBarHeight = 42;
constexpr int kStatusBarHeight = 26;

// Node pictures: the tree fill keeps each node's picture index in Qt::UserRole.
class TreePictureDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const QVariant picture = index.data(Qt::UserRole);
        if (picture.isValid()) {
            option->icon = TreeIcon(picture.toInt());
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->decorationSize = QSize(16, 16);
        }
    }
};

struct ToolButtonDef {
    const char* name;
    int picture;      // -1: a separator of the given width
    int separatorWidth;
    bool enabled;
};

const ToolButtonDef kToolButtons[] = {
    {"ToolButton12", 10, 0, true}, {"TB_Osc", 0, 0, false},       {"ToolButton2", -1, 10, true},
    {"TB_Panel", 1, 0, true},      {"TB_AlmRecord", 2, 0, true},  {"ToolButton9", -1, 19, true},
    {"TB_FileOpen", 3, 0, true},   {"TB_SaveFile", 4, 0, true},   {"TB_LoadEep", 5, 0, false},
    {"TB_SaveEep", 6, 0, true},    {"ToolButton10", 8, 0, true},  {"ToolButton11", 9, 0, true},
};
}  // namespace

MainWindow::MainWindow(Session& session, UiPrompt& prompt, TimerFactory& timers, const QString& cfgPath,
                       QWidget* parent)
    : QMainWindow(parent), session_(session), prompt_(prompt), timers_(timers), cfgPath_(cfgPath) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Ordalis configuration tool"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    setFont(f);

    LoadSettings(cfgPath_, session_.settings);
    const int16_t channels[TraceChannels] = {1, 2, 0, 0, 0, 0};
    std::copy(std::begin(channels), std::end(channels), session_.trace.TraceVariable);

    menus_[0] = BuildChineseMenu(this);
    menus_[1] = BuildEnglishMenu(this);
    // Both menus stay alive for the whole run; the holder shows the current one.
    menuHolder_ = new QWidget(this);
    auto* menuLayout = new QVBoxLayout(menuHolder_);
    menuLayout->setContentsMargins(0, 0, 0, 0);
    menuLayout->setSpacing(0);
    for (QMenuBar* bar : menus_) {
        bar->setParent(menuHolder_);
        menuLayout->addWidget(bar);
    }
    // The same height for both, so swapping them leaves the client area alone.
    const int menuHeight = std::max(menus_[0]->sizeHint().height(), menus_[1]->sizeHint().height());
    for (QMenuBar* bar : menus_) bar->setFixedHeight(menuHeight);
    setMenuWidget(menuHolder_);
    SetMainMenu(menus_[session_.settings.LanguageIndex]);

    BuildToolBar();
    BuildCentre();
    BuildStatusBar();

    pollTimer_ = new QTimer(this);
    pollTimer_->setObjectName(QStringLiteral("RdErrorIntval"));
    pollTimer_->setInterval(300);
    connect(pollTimer_, &QTimer::timeout, this, &MainWindow::RdErrorIntvalTimer);

    selComModeDelay_ = new QTimer(this);
    selComModeDelay_->setObjectName(QStringLiteral("SelComModeDelay"));
    selComModeDelay_->setInterval(1000);
    selComModeDelay_->setSingleShot(true);
    connect(selComModeDelay_, &QTimer::timeout, this, &MainWindow::SelComModeDelayTimer);

    connector_ = std::make_unique<Connector>(session_, *this, prompt_, timers_);
    ctx_ = std::make_unique<AppContext>(AppContext{session_, *this, prompt_, timers_, *connector_});

    // Start-up order of the other windows: log, oscilloscope, progress, trace variables,
    // failure dialog, note, then the drive dialogs.
    CreateDialogWindows(*ctx_, this, windows_, hooks_);
    progress_ = new ProgressWindow(this);
    connect(progress_, &ProgressWindow::Finished, this, &MainWindow::ProgressFinished);
    failure_ = new ConnectionFailureDialog(*ctx_, this);
    note_ = new NoteDialog(session_.settings, this);

    ConnectMenus();

    DriveCallbacks& cb = session_.callbacks;
    cb.StopPollTimer = [this] { StopPollTimer(); };
    cb.ShowConnectionFailure = [this] { QueueConnectionFailure(); };
    cb.IdentifyDone = [this](uint16_t s, const uint8_t*, uint8_t) { IdentifyDone(s); };
    cb.ReadBackStep = [this](uint16_t s, const uint8_t*, uint8_t) { ReadBackStep(s); };
    cb.PollStatusDone = [this](uint16_t s, const uint8_t*, uint8_t) { PollStatusDone(s); };
    cb.PollParaDone = [this](uint16_t s, const uint8_t*, uint8_t) { PollParaDone(s); };

    setFixedSize(kClientWidth, kClientHeight + menuHolder_->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

MainWindow::~MainWindow() {
    // The link outlives this window: no callback may reach it any more.
    DriveCallbacks& cb = session_.callbacks;
    cb.StopPollTimer = nullptr;
    cb.ShowConnectionFailure = nullptr;
    cb.IdentifyDone = cb.ReadBackStep = cb.PollStatusDone = cb.PollParaDone = nullptr;
}

void MainWindow::BuildToolBar() {
    toolBar_ = new QToolBar(this);
    toolBar_->setObjectName(QStringLiteral("ToolBar1"));
    toolBar_->setMovable(false);
    toolBar_->setFloatable(false);
    toolBar_->setFixedHeight(kToolBarHeight);
    toolBar_->setIconSize(QSize(32, 32));
    toolBar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolBar_->toggleViewAction()->setEnabled(false);
    for (const ToolButtonDef& tool : kToolButtons) {
        if (tool.picture < 0) {
            auto* gap = new QWidget(toolBar_);
            gap->setObjectName(QString::fromLatin1(tool.name));
            gap->setFixedWidth(tool.separatorWidth);
            toolBar_->addWidget(gap);
            continue;
        }
        auto* b = new QToolButton(toolBar_);
        b->setObjectName(QString::fromLatin1(tool.name));
        b->setFixedSize(39, 38);
        b->setIconSize(QSize(32, 32));
        b->setIcon(ToolIcon(tool.picture));
        b->setAutoRaise(true);
        b->setEnabled(tool.enabled);
        toolBar_->addWidget(b);
    }
    toolBar_->installEventFilter(this);
    for (QWidget* child : toolBar_->findChildren<QWidget*>()) child->installEventFilter(this);
    addToolBar(Qt::TopToolBarArea, toolBar_);

    auto button = [this](const char* name) { return toolBar_->findChild<QToolButton*>(QString::fromLatin1(name)); };
    connect(button("TB_Osc"), &QToolButton::clicked, this, [this] { ShowDialog(windows_.Scope); });
    connect(button("TB_Panel"), &QToolButton::clicked, this, [this] { ShowDialog(windows_.AntiResonance); });
    connect(button("TB_AlmRecord"), &QToolButton::clicked, this, [this] { ShowDialog(windows_.StatusMonitor); });
    connect(button("TB_FileOpen"), &QToolButton::clicked, this, [this] {
        if (hooks_.OpenParameterFile) hooks_.OpenParameterFile();
    });
    connect(button("TB_SaveFile"), &QToolButton::clicked, this, [this] {
        if (hooks_.SaveParameterFile) hooks_.SaveParameterFile();
    });
    connect(button("TB_SaveEep"), &QToolButton::clicked, this, [this] {
        if (hooks_.SaveToEeprom) hooks_.SaveToEeprom();
    });
}

void MainWindow::BuildCentre() {
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(3);

    tree_ = new QTreeWidget(splitter);
    tree_->setObjectName(QStringLiteral("TreeView1"));
    tree_->setHeaderHidden(true);
    tree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree_->setMinimumWidth(60);
    QFont tf(QStringLiteral("Tahoma"));
    tf.setPixelSize(13);
    tree_->setFont(tf);
    tree_->setItemDelegate(new TreePictureDelegate(tree_));
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);
    treePopup_ = new QMenu(tree_);
    treePopup_->setObjectName(QStringLiteral("PopupMenu1"));
    treePopup_->addAction(QStringLiteral("删除"))->setObjectName(QStringLiteral("N13"));
    treePopup_->addAction(QStringLiteral("添加"))->setObjectName(QStringLiteral("N17"));
    connect(tree_, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        if (QTreeWidgetItem* item = tree_->itemAt(pos)) tree_->setCurrentItem(item);
        treePopup_->popup(tree_->viewport()->mapToGlobal(pos));
    });

    // The panel fills the area right of the splitter; hidden, it leaves that area blank.
    auto* clientArea = new QWidget(splitter);
    auto* clientLayout = new QVBoxLayout(clientArea);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    panel_ = new QFrame(clientArea);
    clientLayout->addWidget(panel_);
    panel_->setObjectName(QStringLiteral("RzPanel1"));
    panel_->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel_->setLineWidth(2);
    panel_->setAutoFillBackground(true);
    QPalette pal = panel_->palette();
    pal.setColor(QPalette::Window, QColor(128, 0, 255));
    panel_->setPalette(pal);
    static const char* const kNames[] = {"Button1", "Button2", "Button3", "Button4"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(panel_);
        b->setObjectName(QString::fromLatin1(kNames[i]));
        b->setFixedSize(100, 50);
        b->hide();
        modelButtons_[i] = b;
    }
    connect(modelButtons_[0], &QPushButton::clicked, this, [this] { ShowDialog(windows_.PulseInput); });
    connect(modelButtons_[1], &QPushButton::clicked, this, [this] { ShowDialog(windows_.StatusMonitor); });
    connect(modelButtons_[2], &QPushButton::clicked, this, [this] { ShowDialog(windows_.ParameterSetting); });
    connect(modelButtons_[3], &QPushButton::clicked, this, [this] { ShowDialog(windows_.AntiResonance); });

    splitter->addWidget(tree_);
    splitter->addWidget(clientArea);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({160, kClientWidth - 160});
    splitter->setContentsMargins(1, 1, 0, 0);
    setCentralWidget(splitter);
}

void MainWindow::BuildStatusBar() {
    auto* bar = new QStatusBar(this);
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setFixedHeight(kStatusBarHeight);
    bar->setSizeGripEnabled(false);
    struct PanelSpec {
        int width;
        const char* text;
        bool raised;
    };
    static const PanelSpec kPanels[] = {{100, "按F2急停!     ", true}, {50, "", false}, {50, "进度", false}, {50, "", false}};
    int i = 0;
    for (const PanelSpec& p : kPanels) {
        auto* label = new QLabel(QString::fromUtf8(p.text), bar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(i++));
        label->setFixedWidth(p.width);
        label->setFrameStyle(p.raised ? (QFrame::Panel | QFrame::Raised) : (QFrame::Panel | QFrame::Sunken));
        bar->addWidget(label);
    }
    setStatusBar(bar);
}

QAction* MainWindow::Action(const char* name) const {
    const QString n = QString::fromLatin1(name);
    for (QMenuBar* bar : menus_)
        if (auto* a = bar->findChild<QAction*>(n)) return a;
    return nullptr;
}

QMenu* MainWindow::Group(const char* name) const {
    const QString n = QString::fromLatin1(name);
    for (QMenuBar* bar : menus_)
        if (auto* m = bar->findChild<QMenu*>(n)) return m;
    return nullptr;
}

void MainWindow::ConnectMenus() {
    auto on = [this](const char* name, auto slot) { connect(Action(name), &QAction::triggered, this, slot); };
    on("MF_Close", [this] { close(); });
    on("Exit1", [this] { close(); });
    on("CH_MT_ComGuide", [this] { OpenConnectionWizard(); });
    on("EN_MT_ComGuide", [this] { OpenConnectionWizard(); });
    on("CH_MV_AlmState", [this] { ShowDialog(windows_.StatusMonitor); });
    on("CH_MV_AlmLog", [this] { ShowDialog(windows_.StatusMonitor); });
    // The English alarm items do what their Chinese counterparts do.
    on("EN_MV_AlmState", [this] { ShowDialog(windows_.StatusMonitor); });
    on("EN_MV_AlmLog", [this] { ShowDialog(windows_.StatusMonitor); });
    on("CH_MV_Attribute", [this] { ShowDialog(windows_.Properties); });
    on("EN_MV_Attribute", [this] { ShowDialog(windows_.Properties); });
    on("CH_MV_ComInfo", [this] { ShowCommLog(); });

    on("English1", [this] {
        Action("English2")->setChecked(true);
        Action("Chinese1")->setChecked(false);
        SetLanguage(1);
    });
    on("Chinese1", [this] {
        Action("English1")->setChecked(false);
        Action("chinesesim")->setChecked(true);
        SetLanguage(0);
    });
    on("chinesesim", [this] { Action("chinesesim")->setChecked(true); });
    on("English2", [this] {
        Action("English2")->setChecked(true);
        Action("Chinese1")->setChecked(false);
    });
}

void MainWindow::SetLanguage(uint8_t languageIndex) {
    StopPollTimer();
    session_.settings.LanguageIndex = languageIndex;
    FormShow();
}

QMenuBar* MainWindow::currentMenu() const {
    return menus_[1]->isHidden() ? menus_[0] : menus_[1];
}

void MainWindow::SetMainMenu(QMenuBar* bar) {
    for (QMenuBar* m : menus_) m->setVisible(m == bar);
}

void MainWindow::SetHints() {
    const uint8_t lang = session_.settings.LanguageIndex;
    struct Hint {
        const char* button;
        const TextPair& text;
    };
    const Hint hints[] = {{"TB_Osc", MainTexts::kOsc},           {"TB_Panel", MainTexts::kPanel},
                          {"TB_AlmRecord", MainTexts::kAlmRecord}, {"TB_FileOpen", MainTexts::kFileOpen},
                          {"TB_SaveFile", MainTexts::kSaveFile},   {"TB_LoadEep", MainTexts::kLoadEep},
                          {"TB_SaveEep", MainTexts::kSaveEep}};
    for (const Hint& h : hints)
        toolBar_->findChild<QToolButton*>(QString::fromLatin1(h.button))->setToolTip(h.text.Text(lang));
}

void MainWindow::ShowDialog(QWidget* window) {
    if (!window) return;
    window->show();
    window->raise();
    window->activateWindow();
}

void MainWindow::ShowCommLog() {
    if (!windows_.CommLog) return;
    windows_.CommLog->show();
    // Stands against the main window's right edge.
    const QRect g = frameGeometry();
    windows_.CommLog->move(g.left() + g.width() - 1, windows_.CommLog->frameGeometry().top());
    windows_.CommLog->raise();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress && toolBar_->isEnabled()) {
        auto* w = qobject_cast<QWidget*>(watched);
        const auto* me = static_cast<QMouseEvent*>(event);
        // A press on an enabled button is that button's; anything else is the bar's own.
        const bool onEnabledButton = w != toolBar_ && qobject_cast<QToolButton*>(w) && w->isEnabled();
        if (w && (w == toolBar_ || w->parentWidget() == toolBar_) && !onEnabledButton &&
            me->button() == Qt::LeftButton)
            ToolBarClicked();
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::ToolBarClicked() {
    if (++toolBarClicks_ >= 10) {
        toolBarClicks_ = 0;
        SetMainMenu(menus_[0]);
    }
}

void MainWindow::OpenConnectionWizard() {
    ordalis::OpenConnectionWizard(*ctx_);
}

void MainWindow::SelComModeDelayTimer() {
    selComModeDelay_->stop();
    OpenConnectionWizard();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

bool MainWindow::SaveSettingsFile() {
    QString error;
    if (SaveSettings(cfgPath_, session_.settings, &error)) return true;
    const QString text = MainTexts::kSettingsNotSaved.Text(session_.settings.LanguageIndex).arg(cfgPath_, error);
    std::fprintf(stderr, "ordalis: %s\n", text.toLocal8Bit().constData());
    prompt_.ShowText(text);
    return false;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    pollTimer_->stop();
    selComModeDelay_->stop();
    SaveSettingsFile();
    event->accept();
    emit Closed();
}

}  // namespace ordalis
