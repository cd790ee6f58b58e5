#include "core/IniText.h"

namespace ordalis {

namespace {
const QByteArray kUtf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Bytes outside ASCII compare as they are, so a name in any code page never matches one
// of ours by accident.
bool SameName(QByteArrayView a, QByteArrayView b) {
    if (a.size() != b.size()) return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    return true;
}

// A line as the parser sees it: trimmed, and without the byte order mark that some
// editors put at the start of a UTF-8 file.
QByteArray Parsed(const QByteArray& text, bool first) {
    if (first && text.startsWith(kUtf8Bom)) return text.mid(kUtf8Bom.size()).trimmed();
    return text.trimmed();
}

bool IsSectionHeader(const QByteArray& trimmed, QByteArray* name) {
    if (!trimmed.startsWith('[') || !trimmed.endsWith(']')) return false;
    if (name) *name = trimmed.mid(1, trimmed.size() - 2).trimmed();
    return true;
}
}  // namespace

IniText::IniText(const QByteArray& content) {
    qsizetype start = 0;
    while (start < content.size()) {
        const qsizetype nl = content.indexOf('\n', start);
        if (nl < 0) {
            lines_.append({content.mid(start), QByteArray()});
            break;
        }
        const bool crlf = nl > start && content[nl - 1] == '\r';
        lines_.append({content.mid(start, nl - start - (crlf ? 1 : 0)),
                       crlf ? QByteArrayLiteral("\r\n") : QByteArrayLiteral("\n")});
        start = nl + 1;
    }
    if (!lines_.isEmpty() && !lines_.first().eol.isEmpty()) eol_ = lines_.first().eol;
}

int IniText::SectionLine(const QByteArray& section) const {
    QByteArray name;
    for (int i = 0; i < lines_.size(); ++i)
        if (IsSectionHeader(Parsed(lines_[i].text, i == 0), &name) && SameName(name, section)) return i;
    return -1;
}

int IniText::SectionEnd(int sectionLine) const {
    int i = sectionLine + 1;
    while (i < lines_.size() && !IsSectionHeader(Parsed(lines_[i].text, false), nullptr)) ++i;
    return i;
}

int IniText::KeyLine(int sectionLine, const QByteArray& key) const {
    const int end = SectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i) {
        const QByteArray t = Parsed(lines_[i].text, false);
        if (t.startsWith(';') || t.startsWith('#')) continue;
        const qsizetype eq = t.indexOf('=');
        if (eq > 0 && SameName(t.left(eq).trimmed(), key)) return i;
    }
    return -1;
}

std::optional<QString> IniText::Value(const QString& section, const QString& key) const {
    const int s = SectionLine(section.toUtf8());
    if (s < 0) return std::nullopt;
    const int k = KeyLine(s, key.toUtf8());
    if (k < 0) return std::nullopt;
    const QByteArray& line = lines_[k].text;
    return QString::fromUtf8(line.mid(line.indexOf('=') + 1).trimmed());
}

void IniText::Insert(int at, const QByteArray& text) {
    // Only the last line can lack a line end; a line added below it needs one there.
    if (at > 0 && lines_[at - 1].eol.isEmpty()) lines_[at - 1].eol = eol_;
    lines_.insert(at, {text, eol_});
}

void IniText::SetValue(const QString& section, const QString& key, const QString& value) {
    const QByteArray sectionName = section.toUtf8();
    const QByteArray entry = key.toUtf8() + '=' + value.toUtf8();
    const int s = SectionLine(sectionName);
    if (s < 0) {
        if (!lines_.isEmpty() && !Parsed(lines_.last().text, lines_.size() == 1).isEmpty())
            Insert(lines_.size(), QByteArray());
        Insert(lines_.size(), '[' + sectionName + ']');
        Insert(lines_.size(), entry);
        return;
    }
    const int k = KeyLine(s, key.toUtf8());
    if (k >= 0) {
        lines_[k].text = entry;  // its line end stays
        return;
    }
    // After the section's last non-blank line, so a blank separator stays below it.
    int at = SectionEnd(s);
    while (at > s + 1 && lines_[at - 1].text.trimmed().isEmpty()) --at;
    Insert(at, entry);
}

QByteArray IniText::ToBytes() const {
    QByteArray out;
    for (const Line& l : lines_) out += l.text + l.eol;
    return out;
}

}  // namespace ordalis
