#include "core/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "core/IniText.h"
#include "core/WholeFile.h"

namespace ordalis {

namespace {
const QString kLanguageSection = QStringLiteral("pset0");
const QString kLanguageKey = QStringLiteral("LauguageMode");
const QString kComModeSection = QStringLiteral("pset1");
const QString kComModeKey = QStringLiteral("LastComMode");
const QString kLinkSection = QStringLiteral("pset3");
const QString kLinkKey = QStringLiteral("linkinf");
const QString kOwnSection = QStringLiteral("ordalis");
const QString kTryRatesKey = QStringLiteral("TryOtherBaudRates");
const QString kFileName = QStringLiteral("cfg.ini");

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

    settings.TryOtherRates = IntValue(ini, kOwnSection, kTryRatesKey, 1) != 0;
}

bool SaveSettings(const QString& path, const Settings& settings, QString* error) {
    return SaveSettings(SettingsPaths{path, path}, settings, error);
}

bool SaveSettings(const SettingsPaths& paths, const Settings& settings, QString* error) {
    const QString& path = paths.write;
    const QString& base = (QFileInfo::exists(path) || paths.read.isEmpty()) ? path : paths.read;
    IniText ini;
    {
        QFile old(base);
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
    ini.SetValue(kOwnSection, kTryRatesKey, QString::number(settings.TryOtherRates ? 1 : 0));

    return WriteWholeFile(path, ini.ToBytes(), error);
}

SettingsPaths ChooseSettingsPaths(const QString& besideExecutable, const QString& inUserFolder,
                                  bool executableFolderWritable) {
    if (inUserFolder.isEmpty()) return {besideExecutable, besideExecutable};
    if (QFileInfo::exists(inUserFolder)) return {inUserFolder, inUserFolder};
    return {besideExecutable, executableFolderWritable ? besideExecutable : inUserFolder};
}

SettingsPaths ResolveSettingsPaths(const QString& executableDir) {
    const QString env = qEnvironmentVariable("ORDALIS_CFG");
    if (!env.isEmpty()) return {env, env};
    const QFileInfo dir(executableDir);
    const bool writable = dir.isDir() && dir.isWritable();
    const QString userDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    const QString inUserFolder = userDir.isEmpty() ? QString() : QDir(userDir).filePath(kFileName);
    const SettingsPaths paths = ChooseSettingsPaths(QDir(executableDir).filePath(kFileName), inUserFolder, writable);
    if (paths.write == inUserFolder) QDir().mkpath(userDir);
    return paths;
}

QString ResolveSettingsPath(const QString& executableDir) { return ResolveSettingsPaths(executableDir).write; }

}  // namespace ordalis
