#pragma once
// An INI file as bytes: values can be read and set while every other line (comments,
// foreign sections, key order, text in any code page, each line's own line end) stays
// byte for byte as it was. Section and key names match without regard to ASCII case, as
// Windows INI readers do; names and values the program reads or sets are ASCII.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

namespace ordalis {

class IniText {
public:
    // An empty file; lines added to it end in CR LF, as Windows writes INI files.
    IniText() = default;
    // Lines added to an existing file take the line end of its first line.
    explicit IniText(const QByteArray& content);

    std::optional<QString> Value(const QString& section, const QString& key) const;
    // Rewrites the key's line, or adds it at the end of its section (the section at the
    // end of the file when absent). No other line changes.
    void SetValue(const QString& section, const QString& key, const QString& value);
    QByteArray ToBytes() const;

private:
    struct Line {
        QByteArray text;  // without the line end
        QByteArray eol;   // "\r\n", "\n", or empty for a last line without one
    };

    int SectionLine(const QByteArray& section) const;  // -1 when absent
    int SectionEnd(int sectionLine) const;             // first line after the section
    int KeyLine(int sectionLine, const QByteArray& key) const;
    void Insert(int at, const QByteArray& text);

    QList<Line> lines_;
    QByteArray eol_ = QByteArrayLiteral("\r\n");
};

}  // namespace ordalis
