#include "dialogs/NumberEntry.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <limits>

#include "core/TextPair.h"

namespace ordalis {

namespace {

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();

int64_t Pow10(int n) {
    int64_t p = 1;
    for (int i = 0; i < n; ++i) p *= 10;
    return p;
}

// Appends a digit; false when the result no longer fits.
bool PushDigit(int64_t& v, int digit) {
    if (v > (kMax - digit) / 10) return false;
    v = v * 10 + digit;
    return true;
}

class NumberEntryFilter : public QObject {
public:
    NumberEntryFilter(QLineEdit* edit, bool decimal, std::function<void()> onExit)
        : QObject(edit), decimal_(decimal), onExit_(std::move(onExit)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                Exit();
                return true;
            }
            const QString text = key->text();
            if (text.size() != 1 || text[0].unicode() < 0x20 || text[0].unicode() == 0x7F) return false;
            const QChar c = text[0];
            return !(c.isDigit() && c.unicode() < 0x80) && !(decimal_ && c == u'.');
        }
        if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) Exit();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void Exit() {
        if (running_) return;  // a message box of the handler runs a nested event loop
        running_ = true;
        onExit_();
        running_ = false;
    }
    bool decimal_;
    bool running_ = false;
    std::function<void()> onExit_;
};

}  // namespace

int64_t DecimalEntry::Scaled(int digits, Rounding rounding) const {
    if (huge) return kMax;
    if (digits >= scale) {
        const int64_t f = Pow10(digits - scale);
        return mantissa > kMax / f ? kMax : mantissa * f;
    }
    const int64_t d = Pow10(scale - digits);
    const int64_t q = mantissa / d, r = mantissa % d;
    switch (rounding) {
        case Rounding::Truncate: return q;
        case Rounding::Ceil: return r > 0 ? q + 1 : q;
        case Rounding::HalfEven:
            if (2 * r > d || (2 * r == d && (q % 2) != 0)) return q + 1;
            return q;
    }
    return q;
}

bool DecimalEntry::ScaledEquals(int digits, int64_t value) const {
    if (huge) return false;
    if (digits >= scale) return Scaled(digits, Rounding::Truncate) == value;
    const int64_t d = Pow10(scale - digits);
    return mantissa % d == 0 && mantissa / d == value;
}

int DecimalEntry::CompareTo(int64_t value, int digits) const {
    if (huge) return 1;
    int64_t a = mantissa, b = value;
    if (scale < digits) {
        const int64_t f = Pow10(digits - scale);
        if (a > kMax / f) return 1;
        a *= f;
    } else if (scale > digits) {
        const int64_t f = Pow10(scale - digits);
        if (b > kMax / f) return -1;
        if (b < 0) return 1;
        b *= f;
    }
    return a < b ? -1 : a > b ? 1 : 0;
}

std::optional<int64_t> ParseIntegerEntry(const QString& text) {
    if (text.isEmpty()) return std::nullopt;
    int64_t v = 0;
    bool huge = false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') return std::nullopt;
        if (!huge && !PushDigit(v, c.unicode() - u'0')) huge = true;
    }
    return huge ? kMax : v;
}

std::optional<DecimalEntry> ParseDecimalEntry(const QString& text) {
    DecimalEntry e;
    bool point = false, digit = false;
    for (const QChar c : text) {
        if (c == u'.') {
            if (point) return std::nullopt;
            point = true;
            continue;
        }
        if (c < u'0' || c > u'9') return std::nullopt;
        digit = true;
        if (e.huge) continue;
        // Digits beyond what 64 bits hold: an integer part that long is huge; fraction
        // digits that long are dropped (far below any unit the drive has).
        if (!PushDigit(e.mantissa, c.unicode() - u'0')) {
            if (!point) e.huge = true;
            continue;
        }
        if (point) ++e.scale;
    }
    if (!digit) return std::nullopt;
    return e;
}

QString ShortestDecimal(int64_t raw, int decimals) {
    QString s = FixedDecimal(raw, decimals);
    if (decimals <= 0) return s;
    while (s.endsWith(u'0')) s.chop(1);
    if (s.endsWith(u'.')) s.chop(1);
    return s == QLatin1String("-0") ? QStringLiteral("0") : s;
}

QString FixedDecimal(int64_t raw, int decimals) {
    const bool negative = raw < 0;
    const uint64_t a = negative ? uint64_t(0) - uint64_t(raw) : uint64_t(raw);
    const uint64_t p = uint64_t(Pow10(decimals));
    QString s = QString::number(a / p);
    if (decimals > 0) s += u'.' + QString::number(a % p).rightJustified(decimals, u'0');
    return negative ? u'-' + s : s;
}

QString NotANumberText(uint8_t languageIndex, const QString& text, bool decimal) {
    const TextPair integer{"“%1”不是有效的整数", "'%1' is not a valid integer value"};
    const TextPair number{"“%1”不是有效的数值", "'%1' is not a valid number"};
    return (decimal ? number : integer).Text(languageIndex).arg(text);
}

QString RangeText(uint8_t languageIndex, const QString& min, const QString& max) {
    const TextPair text{"参数应在%1-%2之间!", "The value must be between %1 and %2!"};
    return text.Text(languageIndex).arg(min, max);
}

void AttachNumberEntry(QLineEdit* edit, bool decimal, std::function<void()> onExit) {
    edit->installEventFilter(new NumberEntryFilter(edit, decimal, std::move(onExit)));
}

}  // namespace ordalis
