#include "app/MenuBars.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/MainMenus.h"

namespace ordalis {

MenuBars::MenuBars(QWidget* window, uint8_t languageIndex) : QObject(window) {
    bars_[0] = BuildChineseMenu(window);
    bars_[1] = BuildEnglishMenu(window);
    holder_ = new QWidget(window);
    auto* layout = new QVBoxLayout(holder_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QMenuBar* bar : bars_) {
        bar->setParent(holder_);
        layout->addWidget(bar);
    }
    // The same height for both, so swapping them leaves the client area alone.
    const int height = std::max(bars_[0]->sizeHint().height(), bars_[1]->sizeHint().height());
    for (QMenuBar* bar : bars_) bar->setFixedHeight(height);
    Show(languageIndex);
}

QMenuBar* MenuBars::Current() const { return bars_[1]->isHidden() ? bars_[0] : bars_[1]; }

void MenuBars::Show(int languageIndex) {
    for (QMenuBar* bar : bars_) bar->setVisible(bar == Bar(languageIndex));
}

QAction* MenuBars::Action(const char* name) const {
    const QString n = QString::fromLatin1(name);
    for (QMenuBar* bar : bars_)
        if (auto* a = bar->findChild<QAction*>(n)) return a;
    return nullptr;
}

QMenu* MenuBars::Group(const char* name) const {
    const QString n = QString::fromLatin1(name);
    for (QMenuBar* bar : bars_)
        if (auto* m = bar->findChild<QMenu*>(n)) return m;
    return nullptr;
}

// Qt ticks a checkable item by itself when it is chosen; the language items' marks
// follow their own rules only, so that toggle is undone before the rule runs.
void MenuBars::ConnectLanguageItems(std::function<void(uint8_t)> setLanguage) {
    auto on = [this](const char* name, std::function<void()> rule) {
        QAction* item = Action(name);
        connect(item, &QAction::triggered, this, [item, rule](bool checkedByQt) {
            item->setChecked(!checkedByQt);
            rule();
        });
    };
    on("English1", [this, setLanguage] {
        Action("English2")->setChecked(true);
        Action("Chinese1")->setChecked(false);
        setLanguage(1);
    });
    on("Chinese1", [this, setLanguage] {
        Action("English1")->setChecked(false);
        Action("chinesesim")->setChecked(true);
        setLanguage(0);
    });
    on("chinesesim", [this] { Action("chinesesim")->setChecked(true); });
    on("English2", [this] {
        Action("English2")->setChecked(true);
        Action("Chinese1")->setChecked(false);
    });
}

}  // namespace ordalis
