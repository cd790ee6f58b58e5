#pragma once
// An INI file as text: values can be read and set while every other line (comments,
// foreign sections, key order) stays as it was. Section and key names match without
// regard to case, as Windows INI readers do.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace ordalis {

class IniText {
public:
    IniText() = default;
    explicit IniText(const QByteArray& content);

    std::optional<QString> Value(const QString& section, const QString& key) const;
    void SetValue(const QString& section, const QString& key, const QString& value);
    QByteArray ToBytes() const;

private:
    int SectionLine(const QString& section) const;      // -1 when absent
    int SectionEnd(int sectionLine) const;              // first line after the section
    int KeyLine(int sectionLine, const QString& key) const;

    QStringList lines_;
    QString eol_ = QStringLiteral("\n");
};

}  // namespace ordalis
