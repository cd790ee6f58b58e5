#pragma once
// Speed generator arithmetic of the anti-resonance window: slider RPM to the drive's
// speed units (parameter 154 = RPM x 400 / 6, rounded up) and back, the scales of the
// slider and the two-line speed text.
#include <QString>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "dialogs/DecimalText.h"

namespace ordalis::antires {

inline constexpr std::array<int, 6> kScales = {300, 600, 1200, 2000, 3000, 3500};

// Division rounding towards +infinity, for either sign of n (d > 0).
inline int64_t CeilDiv(int64_t n, int64_t d) { return n >= 0 ? (n + d - 1) / d : -((-n) / d); }

// ceil(rpm x 400 / 6), negated for reverse; kept inside the 32-bit field.
inline int32_t SpeedToDrive(int rpm, bool reverse)
{
    int64_t v = CeilDiv(int64_t{rpm} * 400, 6);
    if (reverse) v = -v;
    v = std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(v);
}

struct GeneratorSpeed {
    int rpm = 0;
    bool reverse = false;
};

// ceil(value x 60 / 4000); a negative result means reverse.
inline GeneratorSpeed SpeedFromDrive(int32_t value)
{
    const int64_t t = CeilDiv(int64_t{value} * 60, 4000);
    return {static_cast<int>(t < 0 ? -t : t), t < 0};
}

// The first scale that holds rpm; the largest when none does.
inline int ScaleIndexFor(int rpm)
{
    for (size_t i = 0; i < kScales.size(); ++i)
        if (kScales[i] >= rpm) return static_cast<int>(i);
    return static_cast<int>(kScales.size()) - 1;
}

// "300 RPM", then " = 5 RPS" on the second line (revolutions per second rounded to two
// decimals, shortest form).
inline QString SpeedText(int rpm)
{
    const QString rps = HundredthsText(std::llround(rpm * 100.0 / 60.0));
    return QString::number(rpm) + QStringLiteral(" RPM\n = ") + rps + QStringLiteral(" RPS");
}

}  // namespace ordalis::antires
