#pragma once
// The arguments of one command: --name value, --name=value, flags and positionals.
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

namespace ordalis::cli {

struct Args {
    QMap<QString, QString> values;  // options with a value, by name without dashes
    QSet<QString> flags;
    QStringList positionals;

    bool Has(const QString& name) const { return values.contains(name) || flags.contains(name); }
    QString Value(const QString& name, const QString& fallback = {}) const { return values.value(name, fallback); }

    // valueOptions take a value, flagOptions do not; anything else is an error.
    static bool Parse(const QStringList& words, const QStringList& valueOptions, const QStringList& flagOptions,
                      Args* out, QString* error) {
        for (int i = 0; i < words.size(); ++i) {
            const QString& w = words[i];
            if (!w.startsWith(QLatin1String("--")) || w == QLatin1String("--")) {
                out->positionals << w;
                continue;
            }
            QString name = w.mid(2);
            QString value;
            const int eq = name.indexOf(QLatin1Char('='));
            const bool inlineValue = eq >= 0;
            if (inlineValue) {
                value = name.mid(eq + 1);
                name = name.left(eq);
            }
            if (flagOptions.contains(name) && !inlineValue) {
                out->flags << name;
            } else if (valueOptions.contains(name)) {
                if (!inlineValue) {
                    if (i + 1 >= words.size()) {
                        *error = QStringLiteral("--%1 needs a value").arg(name);
                        return false;
                    }
                    value = words[++i];
                }
                out->values[name] = value;
            } else {
                *error = QStringLiteral("unknown option --%1").arg(name);
                return false;
            }
        }
        return true;
    }
};

}  // namespace ordalis::cli
