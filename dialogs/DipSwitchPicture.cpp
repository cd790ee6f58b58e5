#include "dialogs/DipSwitchPicture.h"

#include <QPainter>

namespace ordalis {

namespace {
// Columns 1..3 are bits 5..7, column 4 is bit 4, columns 5..8 (the micro-step switches)
// are bits 0..3.
constexpr int kBits[DipSwitchPicture::kColumns] = {5, 6, 7, 4, 0, 1, 2, 3};
constexpr int kGap = 4;     // between columns
constexpr int kMargin = 4;  // inside the white box
}  // namespace

DipSwitchPicture::DipSwitchPicture(QWidget* parent) : QWidget(parent) { setFixedSize(sizeHint()); }

int DipSwitchPicture::ColumnBit(int column) {
    return column >= 1 && column <= kColumns ? kBits[column - 1] : -1;
}

void DipSwitchPicture::SetSwitches(uint8_t switches) {
    std::array<bool, kColumns> on{};
    // Column 8 first, down to column 1, as the switches are read.
    for (int column = kColumns; column >= 1; --column) on[column - 1] = (switches >> ColumnBit(column)) & 1;
    if (on == on_) return;
    on_ = on;
    update();
}

bool DipSwitchPicture::ColumnOn(int column) const {
    return column >= 1 && column <= kColumns && on_[column - 1];
}

QSize DipSwitchPicture::sizeHint() const {
    return {2 * kMargin + kColumns * kSquare + (kColumns - 1) * kGap, 2 * kMargin + 2 * kSquare};
}

void DipSwitchPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(QColor(128, 128, 128));
    p.setBrush(Qt::white);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(Qt::NoPen);
    for (int c = 0; c < kColumns; ++c) {
        const int x = kMargin + c * (kSquare + kGap);
        p.setBrush(on_[c] ? Qt::black : Qt::white);
        p.drawRect(x, kMargin, kSquare, kSquare);
        p.setBrush(on_[c] ? Qt::white : Qt::black);
        p.drawRect(x, kMargin + kSquare, kSquare, kSquare);
    }
    // The outline of each column, so a white square still shows where it is.
    p.setPen(QColor(160, 160, 160));
    p.setBrush(Qt::NoBrush);
    for (int c = 0; c < kColumns; ++c)
        p.drawRect(kMargin + c * (kSquare + kGap), kMargin, kSquare - 1, 2 * kSquare - 1);
}

}  // namespace ordalis
