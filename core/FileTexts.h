#pragma once
// Texts of the parameter files, and the EEPROM save, Chinese and English.
#include "core/TextPair.h"

namespace ordalis::FileTexts {

inline const TextPair kFormatError{"文件格式错误!", "File format error!"};
inline const TextPair kModelMismatch{"文件参数与当前的驱动器不匹配!",
                                     "The file's parameters do not match the connected drive!"};
// %1: file name, %2: the reason.
inline const TextPair kFileNotSaved{"文件 %1 无法保存: %2", "The file %1 could not be saved: %2"};
inline const TextPair kNoDrive{"没有连接驱动器!", "No drive is connected!"};
// %1: the parameters ("97 (Pmode), 99 (Popt)").
inline const TextPair kWriteBackFailed{"参数 %1 未能写入驱动器,文件未完全载入!",
                                       "Parameter %1 could not be written to the drive; the file was not loaded "
                                       "completely."};
// %1: why ("code 5", "no answer").
inline const TextPair kEepromNotStored{"参数未能保存到EEPROM (%1)!",
                                       "The settings were not stored in the drive's EEPROM (%1)!"};
inline const TextPair kRefused{"驱动器拒绝", "refused by the drive"};
inline const TextPair kConditionCode{"代码 %1", "code %1"};
inline const TextPair kNotSent{"无法发送", "could not be sent"};
inline const TextPair kNotSavedStatus{"参数未保存到EEPROM", "Not saved to EEPROM"};
inline const TextPair kCloseQuestion{"参数尚未保存到EEPROM,驱动器断电后将丢失。\n退出前保存到EEPROM吗?",
                                     "The settings have not been saved to the drive's EEPROM and are lost when "
                                     "it is switched off.\nSave them to EEPROM before closing?"};

}  // namespace ordalis::FileTexts
