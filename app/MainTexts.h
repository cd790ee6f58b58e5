#pragma once
// Texts of the main window, Chinese and English.
#include "core/TextPair.h"

namespace ordalis::MainTexts {

// Tool-bar hints.
inline const TextPair kOsc{"示波器", "Osc"};
inline const TextPair kPanel{"调试控制台", "Control Penle"};
inline const TextPair kAlmRecord{"报警记录", "Aralm Record"};
inline const TextPair kFileOpen{"打开文件", "Open File"};
inline const TextPair kSaveFile{"保存文件", "Save File"};
inline const TextPair kLoadEep{"参数从EEPROM里读取", "Read Parameter form EEPROM"};
inline const TextPair kSaveEep{"保存参数到EEPROM", "Save Parameter To EEPROM"};

// Model buttons.
inline const TextPair kPulseInput{"输入方式", "Pulse Input Mode"};
inline const TextPair kStatusMonitor{"状态监视", "Status monitoring"};
inline const TextPair kParameterSetting{"参数设定", "Parameter setting"};
inline const TextPair kAntiResonance{"共振抑制", "Anti-resonance "};

// Status bar while the drive's speed generator runs.
inline const TextPair kGeneratorRunning{"内部转速发生器运行中", "speed generator running"};

// cfg.ini could not be written at close (%1: path, %2: reason).
inline const TextPair kSettingsNotSaved{"设置文件 %1 无法保存: %2", "The settings file %1 could not be written: %2"};

}  // namespace ordalis::MainTexts
