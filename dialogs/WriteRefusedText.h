#pragma once
// The message for a write the drive refused: which parameter, and the drive's code (or
// 132 when its error answers used up the retries).
#include <QString>
#include <cstdint>

#include "core/TextPair.h"

namespace ordalis {

inline QString WriteRefusedText(uint8_t language, uint16_t id, uint16_t status) {
    static const TextPair kRefused{"驱动器拒绝写入参数 %1（代码 %2），驱动器保留原值。",
                                   "The drive refused the write of parameter %1 (code %2) and keeps its old value."};
    return kRefused.Text(language).arg(id).arg(status);
}

}  // namespace ordalis
