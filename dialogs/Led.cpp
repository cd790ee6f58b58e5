#include "dialogs/Led.h"

#include <QPainter>

namespace ordalis {

Led::Led(QWidget* parent, QColor color) : QWidget(parent), color_(color) {
    setFixedSize(sizeHint());
}

void Led::SetColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    update();
}

void Led::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(color_);
    const qreal d = std::min(width(), height()) - 2;
    p.drawEllipse(QRectF((width() - d) / 2, (height() - d) / 2, d, d));
}

}  // namespace ordalis
