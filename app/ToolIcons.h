#pragma once
// The tool-bar pictures (32 x 32), drawn at run time.
#include <QIcon>

namespace ordalis {

// index: 0 oscilloscope, 1 control panel, 2 alarm record, 3 open file, 4 save file,
// 5 read EEPROM, 6 save EEPROM, 8 and 9 plain drive pictures, 10 link.
QIcon ToolIcon(int index);

}  // namespace ordalis
