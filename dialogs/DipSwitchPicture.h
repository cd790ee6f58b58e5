#pragma once
// Shared by the windows of this folder.
// The eight DIP switches of a drive as a picture: a white box with eight columns of two
// 13x13 squares. A switch that is on paints its upper square black and its lower square
// white; off paints them the other way round.
#include <QWidget>
#include <array>
#include <cstdint>

namespace ordalis {

class DipSwitchPicture : public QWidget {
public:
    static constexpr int kColumns = 8;
    static constexpr int kSquare = 13;

    explicit DipSwitchPicture(QWidget* parent = nullptr);
    // The bit of a switch byte that column 1..8 shows, given by the drive's wiring.
    static int ColumnBit(int column);
    // Sets every column from the low byte of the switch word.
    void SetSwitches(uint8_t switches);
    // Column 1..8: true when its upper square is black (switch on).
    bool ColumnOn(int column) const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<bool, kColumns> on_{};
};

}  // namespace ordalis
