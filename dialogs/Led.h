#pragma once
// Shared by the windows of this folder.
// A round indicator lamp: a filled circle in one colour with a dark rim.
#include <QColor>
#include <QWidget>

namespace ordalis {

class Led : public QWidget {
public:
    static inline const QColor kGreen{0, 255, 0};
    static inline const QColor kRed{255, 0, 0};

    explicit Led(QWidget* parent = nullptr, QColor color = kGreen);
    void SetColor(const QColor& color);
    // Green when on, red when off.
    void SetOn(bool on) { SetColor(on ? kGreen : kRed); }
    QColor Color() const { return color_; }
    QSize sizeHint() const override { return {16, 16}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

}  // namespace ordalis
