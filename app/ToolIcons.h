#pragma once
// The tool-bar pictures (32 x 32), drawn at run time.
#include <QIcon>

namespace ordalis {

// index: 0 oscilloscope, 1 control panel, 2 alarm record, 3 open file, 4 save file,
// 5 read EEPROM, 6 save EEPROM, 8 and 9 plain drive pictures, 10 link.
QIcon ToolIcon(int index);
// Connection tree (16 x 16): 2 link root, 4 serial port, 5 slave address.
QIcon TreeIcon(int index);

}  // namespace ordalis
