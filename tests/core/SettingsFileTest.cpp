#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "core/IniText.h"
#include "core/SettingsFile.h"

namespace ordalis {
namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
void Write(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}
std::string Hex(const LinkRecord& r) { return r.ToHex(); }

TEST(LinkRecordHex, DefaultIsFourFThenZeros) {
    EXPECT_EQ(Hex(LinkRecord::Default()), std::string(4, 'F') + std::string(340, '0'));
}

TEST(LinkRecordHex, RoundTripsAndRejectsWrongLengthOrDigits) {
    LinkRecord r;
    for (size_t i = 0; i < LinkRecord::kSize; ++i) r.bytes[i] = static_cast<uint8_t>(i * 37 + 5);
    const std::string hex = r.ToHex();
    ASSERT_EQ(hex.size(), 344u);

    LinkRecord back;
    ASSERT_TRUE(back.FromHex(hex));
    EXPECT_EQ(back.bytes, r.bytes);
    LinkRecord lower;
    ASSERT_TRUE(lower.FromHex(QString::fromStdString(hex).toLower().toStdString()));
    EXPECT_EQ(lower.bytes, r.bytes);
    LinkRecord odd;  // a 345th digit carries no byte
    ASSERT_TRUE(odd.FromHex(hex + "7"));
    EXPECT_EQ(odd.bytes, r.bytes);

    struct Bad {
        const char* what;
        std::string hex;
    };
    std::string withG = hex;
    withG[100] = 'G';
    const Bad bad[] = {{"342 digits", hex.substr(0, 342)}, {"346 digits", hex + "00"}, {"empty", ""}, {"non-hex", withG}};
    for (const Bad& b : bad) {
        LinkRecord kept;
        EXPECT_FALSE(kept.FromHex(b.hex)) << b.what;
        EXPECT_EQ(kept.bytes, LinkRecord::Default().bytes) << b.what << ": left untouched";
    }
}

TEST(SettingsFile, MissingFileGivesDefaults) {
    QTemporaryDir dir;
    Settings s;
    s.LanguageIndex = 1;
    s.LastComMode = 1;
    s.linkRecord.SetEntryCount(3);
    LoadSettings(dir.filePath("none.ini"), s);
    EXPECT_EQ(s.LanguageIndex, 0);
    EXPECT_EQ(s.LastComMode, 0);
    EXPECT_EQ(s.linkRecord.bytes, LinkRecord::Default().bytes);
}

TEST(SettingsFile, ReadsValuesAndTreatsBadOnesAsDefaults) {
    struct Case {
        const char* file;
        int language, comMode;
        bool defaultRecord;
    };
    const std::string good = LinkRecord().ToHex().replace(4, 2, "03");  // 3 entries
    const std::string nonHex = std::string(343, '0') + "X";
    const std::string shortHex = good.substr(0, 342);
    const Case cases[] = {
        {"[pset0]\nLauguageMode=1\n[pset1]\nLastComMode=1\n", 1, 1, true},
        {"[PSET0]\nlauguagemode = 1\n", 1, 0, true},  // INI names ignore case
        {"[pset0]\nLauguageMode=7\n", 0, 0, true},     // only 0 and 1 are languages
        {"[pset0]\nLauguageMode=-1\n", 0, 0, true},
        {"[pset0]\nLauguageMode=abc\n[pset1]\nLastComMode=x\n", 0, 0, true},
        {"[pset1]\nLastComMode=2\n", 0, 2, true},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("cfg.ini");
    for (const Case& c : cases) {
        Write(path, c.file);
        Settings s;
        LoadSettings(path, s);
        EXPECT_EQ(s.LanguageIndex, c.language) << c.file;
        EXPECT_EQ(s.LastComMode, c.comMode) << c.file;
    }
    for (const auto& [hex, isDefault] : {std::pair{good, false}, {nonHex, true}, {shortHex, true}}) {
        Write(path, QByteArray("[pset3]\nlinkinf=") + hex.c_str() + "\n");
        Settings s;
        LoadSettings(path, s);
        EXPECT_EQ(s.linkRecord.bytes == LinkRecord::Default().bytes, isDefault) << hex.size();
    }
}

TEST(SettingsFile, SaveKeepsForeignSectionsAndKeys) {
    QTemporaryDir dir;
    const QString path = dir.filePath("cfg.ini");
    Write(path,
          "; comment kept\n[ports]\nCOM1=/tmp/ttyX\n\n[pset0]\nLauguageMode=0\nOther=5\n\n[pset3]\nlinkinf=00\n");
    Settings s;
    s.LanguageIndex = 1;
    s.LastComMode = 1;
    QString error;
    ASSERT_TRUE(SaveSettings(path, s, &error)) << error.toStdString();
    const QByteArray text = Read(path);
    EXPECT_TRUE(text.startsWith("; comment kept\n[ports]\nCOM1=/tmp/ttyX\n")) << text.constData();
    EXPECT_TRUE(text.contains("[pset0]\nLauguageMode=1\nOther=5\n")) << text.constData();
    EXPECT_TRUE(text.contains("[pset1]\nLastComMode=1\n")) << text.constData();
    EXPECT_TRUE(text.contains(QByteArray("linkinf=") + s.linkRecord.ToHex().c_str() + "\n")) << text.constData();

    Settings back;
    LoadSettings(path, back);
    EXPECT_EQ(back.LanguageIndex, 1);
    EXPECT_EQ(back.LastComMode, 1);
    EXPECT_EQ(IniText(text).Value("ports", "com1").value_or(""), "/tmp/ttyX");
}

TEST(SettingsFile, SaveFailureIsReportedAndLeavesNoPartialFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("missing-folder/cfg.ini");
    QString error;
    EXPECT_FALSE(SaveSettings(path, Settings{}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
    // Nothing but the old file is left behind when the write goes through QSaveFile.
    const QString good = dir.filePath("cfg.ini");
    ASSERT_TRUE(SaveSettings(good, Settings{}, &error));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"cfg.ini"});
}

TEST(SettingsFile, PathComesFromEnvironmentFirst) {
    QTemporaryDir dir;
    qputenv("ORDALIS_CFG", "/somewhere/else.ini");
    EXPECT_EQ(ResolveSettingsPath(dir.path()), "/somewhere/else.ini");
    qunsetenv("ORDALIS_CFG");
    EXPECT_EQ(ResolveSettingsPath(dir.path()), dir.filePath("cfg.ini"));
    EXPECT_TRUE(ResolveSettingsPath("/nonexistent-folder").endsWith("/cfg.ini"));
    EXPECT_FALSE(ResolveSettingsPath("/nonexistent-folder").startsWith("/nonexistent-folder"));
}

}  // namespace
}  // namespace ordalis
