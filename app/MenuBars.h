#pragma once
// The main window's two menu bars (Chinese ChnMenu_Admin, English EngMenu_User), both
// alive for the whole run in one holder that shows the current one, and the language
// items with their check marks.
#include <QObject>
#include <array>
#include <cstdint>
#include <functional>

class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace ordalis {

class MenuBars : public QObject {
public:
    MenuBars(QWidget* window, uint8_t languageIndex);

    QWidget* Holder() const { return holder_; }
    QMenuBar* Bar(int languageIndex) const { return bars_[languageIndex ? 1 : 0]; }
    QMenuBar* Current() const;
    void Show(int languageIndex);
    // Items and groups by objectName, in either bar.
    QAction* Action(const char* name) const;
    QMenu* Group(const char* name) const;
    // The four language items: the two switches call setLanguage; every item's check
    // mark follows its own rule only.
    void ConnectLanguageItems(std::function<void(uint8_t)> setLanguage);

private:
    std::array<QMenuBar*, 2> bars_{};
    QWidget* holder_ = nullptr;
};

}  // namespace ordalis
