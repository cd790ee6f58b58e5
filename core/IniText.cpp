#include "core/IniText.h"

namespace ordalis {

namespace {
bool IsSectionHeader(const QString& line, QString* name) {
    const QString t = line.trimmed();
    if (!t.startsWith(u'[') || !t.endsWith(u']')) return false;
    if (name) *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}
}  // namespace

IniText::IniText(const QByteArray& content) {
    QString text = QString::fromUtf8(content);
    if (text.contains(QStringLiteral("\r\n"))) eol_ = QStringLiteral("\r\n");
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines_ = text.split(u'\n');
    if (!lines_.isEmpty() && lines_.last().isEmpty()) lines_.removeLast();
}

int IniText::SectionLine(const QString& section) const {
    QString name;
    for (int i = 0; i < lines_.size(); ++i)
        if (IsSectionHeader(lines_[i], &name) && name.compare(section, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

int IniText::SectionEnd(int sectionLine) const {
    int i = sectionLine + 1;
    while (i < lines_.size() && !IsSectionHeader(lines_[i], nullptr)) ++i;
    return i;
}

int IniText::KeyLine(int sectionLine, const QString& key) const {
    const int end = SectionEnd(sectionLine);
    for (int i = sectionLine + 1; i < end; ++i) {
        const QString t = lines_[i].trimmed();
        if (t.startsWith(u';') || t.startsWith(u'#')) continue;
        const qsizetype eq = t.indexOf(u'=');
        if (eq > 0 && t.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) return i;
    }
    return -1;
}

std::optional<QString> IniText::Value(const QString& section, const QString& key) const {
    const int s = SectionLine(section);
    if (s < 0) return std::nullopt;
    const int k = KeyLine(s, key);
    if (k < 0) return std::nullopt;
    const QString& line = lines_[k];
    return line.mid(line.indexOf(u'=') + 1).trimmed();
}

void IniText::SetValue(const QString& section, const QString& key, const QString& value) {
    const QString entry = key + u'=' + value;
    int s = SectionLine(section);
    if (s < 0) {
        if (!lines_.isEmpty() && !lines_.last().trimmed().isEmpty()) lines_ << QString();
        lines_ << u'[' + section + u']' << entry;
        return;
    }
    const int k = KeyLine(s, key);
    if (k >= 0) {
        lines_[k] = entry;
        return;
    }
    // After the section's last non-blank line, so a blank separator stays below it.
    int at = SectionEnd(s);
    while (at > s + 1 && lines_[at - 1].trimmed().isEmpty()) --at;
    lines_.insert(at, entry);
}

QByteArray IniText::ToBytes() const {
    QString out;
    for (const QString& l : lines_) out += l + eol_;
    return out.toUtf8();
}

}  // namespace ordalis
