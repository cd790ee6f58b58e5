#include "core/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "core/IniText.h"

namespace ordalis {

namespace {
const QString kLanguageSection = QStringLiteral("pset0");
const QString kLanguageKey = QStringLiteral("LauguageMode");
const QString kComModeSection = QStringLiteral("pset1");
const QString kComModeKey = QStringLiteral("LastComMode");
const QString kLinkSection = QStringLiteral("pset3");
const QString kLinkKey = QStringLiteral("linkinf");

int IntValue(const IniText& ini, const QString& section, const QString& key, int fallback) {
    const auto v = ini.Value(section, key);
    if (!v) return fallback;
    bool ok = false;
    const int n = v->toInt(&ok);
    return ok ? n : fallback;
}
}  // namespace

void LoadSettings(const QString& path, Settings& settings) {
    settings = Settings{};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return;
    const IniText ini(file.readAll());

    // Only 0 and 1 index the text tables; anything else would read past them.
    const int language = IntValue(ini, kLanguageSection, kLanguageKey, 0);
    settings.LanguageIndex = (language == 1) ? 1 : 0;

    if (const auto hex = ini.Value(kLinkSection, kLinkKey)) {
        LinkRecord record;
        if (record.FromHex(hex->toStdString())) settings.linkRecord = record;
    }

    const int comMode = IntValue(ini, kComModeSection, kComModeKey, 0);
    settings.LastComMode = (comMode >= 0 && comMode <= 255) ? static_cast<uint8_t>(comMode) : 0;
}

bool SaveSettings(const QString& path, const Settings& settings, QString* error) {
    IniText ini;
    {
        QFile old(path);
        if (old.exists()) {
            if (!old.open(QIODevice::ReadOnly)) {
                // Writing now would drop the sections of the file we could not read.
                if (error) *error = old.errorString();
                return false;
            }
            ini = IniText(old.readAll());
        }
    }
    ini.SetValue(kLinkSection, kLinkKey, QString::fromStdString(settings.linkRecord.ToHex()));
    ini.SetValue(kComModeSection, kComModeKey, QString::number(settings.LastComMode));
    ini.SetValue(kLanguageSection, kLanguageKey, QString::number(settings.LanguageIndex));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    const QByteArray bytes = ini.ToBytes();
    if (file.write(bytes) != bytes.size()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

QString ResolveSettingsPath(const QString& executableDir) {
    const QByteArray env = qgetenv("ORDALIS_CFG");
    if (!env.isEmpty()) return QString::fromLocal8Bit(env);
    const QFileInfo dir(executableDir);
    if (dir.isDir() && dir.isWritable()) return QDir(executableDir).filePath(QStringLiteral("cfg.ini"));
    const QString userDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    QDir().mkpath(userDir);
    return QDir(userDir).filePath(QStringLiteral("cfg.ini"));
}

}  // namespace ordalis
