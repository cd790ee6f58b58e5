#include "dialogs/HelpWindow.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QWidget>

#include "dialogs/CenterOnParent.h"

// The picture lives in the dialogs library's resources; a static library needs them
// registered by hand.
static void InitHelpPicture() { Q_INIT_RESOURCE(HelpPicture); }

namespace ordalis {

namespace {

constexpr int kClientWidth = 593;
constexpr int kClientHeight = 611;

class HelpWindow : public QWidget {
public:
    explicit HelpWindow(QWidget* parent)
        : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
        setObjectName(QStringLiteral("TForm17"));
        // The same texts in both languages.
        setWindowTitle(QStringLiteral("Help"));
        setFixedSize(kClientWidth, kClientHeight);
        auto* image = new QLabel(this);
        image->setObjectName(QStringLiteral("Image1"));
        image->setGeometry(2, 0, 589, 573);
        image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        image->setPixmap(QPixmap(QString::fromLatin1(kHelpPicturePath)));
        auto* close = new QPushButton(QStringLiteral("Close"), this);
        close->setObjectName(QStringLiteral("Button1"));
        close->setGeometry((kClientWidth - 80) / 2, 578, 80, 28);
        connect(close, &QPushButton::clicked, this, &QWidget::close);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        if (!event->spontaneous()) CenterOnParent(this);
    }
};

}  // namespace

QWidget* CreateHelpWindow(DriveAccess&, QWidget* parent) {
    InitHelpPicture();
    auto* w = new HelpWindow(parent);
    w->hide();
    return w;
}

}  // namespace ordalis
