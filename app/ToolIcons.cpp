#include "app/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ordalis {

namespace {
void Chip(QPainter& p, const QColor& c) {
    p.setPen(QPen(c.darker(160), 1.5));
    p.setBrush(c);
    p.drawRoundedRect(QRectF(7, 9, 18, 16), 2, 2);
    for (int i = 0; i < 4; ++i) {
        p.drawLine(QPointF(10 + 4 * i, 5), QPointF(10 + 4 * i, 9));
        p.drawLine(QPointF(10 + 4 * i, 25), QPointF(10 + 4 * i, 29));
    }
}

void Arrow(QPainter& p, bool up, const QColor& c) {
    p.setPen(QPen(c, 3, Qt::SolidLine, Qt::RoundCap));
    const qreal x = 26;
    p.drawLine(QPointF(x, 4), QPointF(x, 18));
    const qreal tip = up ? 4 : 18;
    const qreal d = up ? 5 : -5;
    p.drawLine(QPointF(x, tip), QPointF(x - 4, tip + d));
    p.drawLine(QPointF(x, tip), QPointF(x + 4, tip + d));
}

void Folder(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1.5));
    p.setBrush(QColor(240, 200, 80));
    QPainterPath path;
    path.moveTo(3, 9);
    path.lineTo(12, 9);
    path.lineTo(15, 12);
    path.lineTo(29, 12);
    path.lineTo(29, 27);
    path.lineTo(3, 27);
    path.closeSubpath();
    p.drawPath(path);
}

void Disk(QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 110), 1.5));
    p.setBrush(QColor(60, 100, 200));
    p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(8, 18, 16, 10));
}
}  // namespace

QIcon ToolIcon(int index) {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: {  // oscilloscope: screen with a wave
        p.setPen(QPen(QColor(40, 40, 40), 1.5));
        p.setBrush(QColor(20, 60, 20));
        p.drawRoundedRect(QRectF(3, 5, 26, 21), 3, 3);
        QPainterPath wave;
        wave.moveTo(6, 16);
        wave.cubicTo(10, 5, 14, 5, 16, 16);
        wave.cubicTo(18, 27, 22, 27, 26, 16);
        p.setPen(QPen(QColor(90, 255, 90), 2));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        break;
    }
    case 1: {  // control panel: three sliders
        p.setPen(QPen(QColor(60, 60, 60), 2));
        for (int i = 0; i < 3; ++i) p.drawLine(QPointF(8 + 8 * i, 5), QPointF(8 + 8 * i, 27));
        p.setBrush(QColor(230, 120, 30));
        const int knob[] = {18, 9, 22};
        for (int i = 0; i < 3; ++i) p.drawRect(QRectF(5 + 8 * i, knob[i] - 2, 6, 5));
        break;
    }
    case 2: {  // alarm record: warning triangle
        QPainterPath tri;
        tri.moveTo(16, 3);
        tri.lineTo(30, 28);
        tri.lineTo(2, 28);
        tri.closeSubpath();
        p.setPen(QPen(QColor(120, 80, 0), 1.5));
        p.setBrush(QColor(255, 200, 0));
        p.drawPath(tri);
        p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(16, 11), QPointF(16, 20));
        p.drawPoint(QPointF(16, 24.5));
        break;
    }
    case 3:
        Folder(p);
        break;
    case 4:
        Disk(p);
        break;
    case 5:
        Chip(p, QColor(90, 90, 90));
        Arrow(p, true, QColor(0, 140, 0));
        break;
    case 6:
        Chip(p, QColor(90, 90, 90));
        Arrow(p, false, QColor(200, 40, 40));
        break;
    case 10: {  // link: two plugs
        p.setPen(QPen(QColor(40, 40, 40), 2));
        p.setBrush(QColor(120, 160, 220));
        p.drawRoundedRect(QRectF(3, 11, 11, 10), 2, 2);
        p.drawRoundedRect(QRectF(18, 11, 11, 10), 2, 2);
        p.drawLine(QPointF(14, 16), QPointF(18, 16));
        break;
    }
    default:  // drive box
        p.setPen(QPen(QColor(40, 40, 40), 1.5));
        p.setBrush(index == 8 ? QColor(100, 180, 220) : QColor(180, 180, 190));
        p.drawRoundedRect(QRectF(6, 4, 20, 24), 2, 2);
        p.setBrush(QColor(0, 200, 0));
        p.drawEllipse(QPointF(11, 9), 2, 2);
        break;
    }
    p.end();
    return QIcon(pm);
}

QIcon TreeIcon(int index) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    switch (index) {
    case 2:  // link: two joined plugs
        p.setBrush(QColor(120, 160, 220));
        p.drawRoundedRect(QRectF(1, 5, 6, 6), 1, 1);
        p.drawRoundedRect(QRectF(9, 5, 6, 6), 1, 1);
        p.drawLine(QPointF(7, 8), QPointF(9, 8));
        break;
    case 4:  // serial port: a D connector
        p.setBrush(QColor(170, 170, 180));
        p.drawRoundedRect(QRectF(1.5, 4.5, 13, 7), 2, 2);
        p.setBrush(Qt::black);
        for (int i = 0; i < 4; ++i) p.drawEllipse(QPointF(4.5 + 2.3 * i, 8), 0.7, 0.7);
        break;
    default:  // slave address: a small drive
        p.setBrush(QColor(100, 180, 220));
        p.drawRoundedRect(QRectF(3.5, 1.5, 9, 13), 1, 1);
        p.setBrush(QColor(0, 200, 0));
        p.drawEllipse(QPointF(6, 4.5), 1, 1);
        break;
    }
    p.end();
    return QIcon(pm);
}

}  // namespace ordalis
