// The main window's widgets: tool bar, connection tree with its pop-up, the model panel
// with its four buttons, and the status bar.
#include "app/MainLayout.h"

#include <QFrame>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/ToolIcons.h"

namespace ordalis {

namespace {
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
QToolBar* BuildToolBar(QMainWindow* window);
void BuildCentre(QMainWindow* window, MainLayout& layout);
void BuildStatusBar(QMainWindow* window);

}  // namespace

MainLayout BuildMainLayout(QMainWindow* window) {
    MainLayout layout;
    layout.toolBar = BuildToolBar(window);
    BuildCentre(window, layout);
    BuildStatusBar(window);
    return layout;
}

QToolButton* ToolButton(QToolBar* bar, const char* name) {
    return bar->findChild<QToolButton*>(QString::fromLatin1(name));
}

namespace {

QToolBar* BuildToolBar(QMainWindow* window) {
    auto* toolBar_ = new QToolBar(window);
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
    window->addToolBar(Qt::TopToolBarArea, toolBar_);
    return toolBar_;
}

void BuildCentre(QMainWindow* window, MainLayout& layout) {
    auto* splitter = new QSplitter(Qt::Horizontal, window);
    splitter->setObjectName(QStringLiteral("Splitter1"));
    splitter->setChildrenCollapsible(false);
    splitter->setHandleWidth(3);

    layout.tree = new QTreeWidget(splitter);
    layout.tree->setObjectName(QStringLiteral("TreeView1"));
    layout.tree->setHeaderHidden(true);
    layout.tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout.tree->setMinimumWidth(60);
    QFont tf(QStringLiteral("Tahoma"));
    tf.setPixelSize(13);
    layout.tree->setFont(tf);
    layout.tree->setItemDelegate(new TreePictureDelegate(layout.tree));
    layout.tree->setContextMenuPolicy(Qt::CustomContextMenu);
    layout.treePopup = new QMenu(layout.tree);
    layout.treePopup->setObjectName(QStringLiteral("PopupMenu1"));
    layout.treePopup->addAction(QStringLiteral("删除"))->setObjectName(QStringLiteral("N13"));
    layout.treePopup->addAction(QStringLiteral("添加"))->setObjectName(QStringLiteral("N17"));
    QObject::connect(layout.tree, &QTreeWidget::customContextMenuRequested, layout.tree,
                     [tree = layout.tree, popup = layout.treePopup](const QPoint& pos) {
        if (QTreeWidgetItem* item = tree->itemAt(pos)) tree->setCurrentItem(item);
        popup->popup(tree->viewport()->mapToGlobal(pos));
    });

    // The panel fills the area right of the splitter; hidden, it leaves that area blank.
    auto* clientArea = new QWidget(splitter);
    auto* clientLayout = new QVBoxLayout(clientArea);
    clientLayout->setContentsMargins(0, 0, 0, 0);
    layout.panel = new QFrame(clientArea);
    clientLayout->addWidget(layout.panel);
    layout.panel->setObjectName(QStringLiteral("RzPanel1"));
    layout.panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    layout.panel->setLineWidth(2);
    layout.panel->setAutoFillBackground(true);
    QPalette pal = layout.panel->palette();
    pal.setColor(QPalette::Window, QColor(128, 0, 255));
    layout.panel->setPalette(pal);
    static const char* const kNames[] = {"Button1", "Button2", "Button3", "Button4"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(layout.panel);
        b->setObjectName(QString::fromLatin1(kNames[i]));
        b->setFixedSize(100, 50);
        b->hide();
        layout.modelButtons[i] = b;
    }
    splitter->addWidget(layout.tree);
    splitter->addWidget(clientArea);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({160, kMainClientWidth - 160});
    splitter->setContentsMargins(1, 1, 0, 0);
    window->setCentralWidget(splitter);
}

void BuildStatusBar(QMainWindow* window) {
    auto* bar = new QStatusBar(window);
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
    window->setStatusBar(bar);
}

}  // namespace

}  // namespace ordalis
