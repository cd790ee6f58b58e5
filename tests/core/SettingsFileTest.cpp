#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "SettingsTestFiles.h"
#include "core/IniText.h"
#include "core/SettingsFile.h"

namespace ordalis {
namespace {

using test::Read;
using test::Write;

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
    s.TryOtherRates = false;
    LoadSettings(dir.filePath("none.ini"), s);
    EXPECT_EQ(s.LanguageIndex, 0);
    EXPECT_EQ(s.LastComMode, 0);
    EXPECT_EQ(s.linkRecord.bytes, LinkRecord::Default().bytes);
    EXPECT_TRUE(s.TryOtherRates);
}

TEST(SettingsFile, ReadsValuesAndTreatsBadOnesAsDefaults) {
    struct Case {
        const char* file;
        int language, comMode;
        bool tryOtherRates;
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
        {"[pset0]\r\nLauguageMode=1\r\n[pset1]\r\nLastComMode=1\r\n", 1, 1, true},
        {"\xEF\xBB\xBF[pset0]\r\nLauguageMode=1\r\n", 1, 0, true},  // UTF-8 byte order mark
        {"[pset0]\nLauguageMode=1", 1, 0, true},                    // no line end at the end
        {"; \xC5\xE4\xD6\xC3\n[\xB6\xCB\xBF\xDA]\nLauguageMode=0\n[pset0]\nLauguageMode=1\n", 1, 0, true},
        {"[ordalis]\nTryOtherBaudRates=0\n", 0, 0, false},
        {"[ORDALIS]\r\ntryotherbaudrates = 0\r\n", 0, 0, false},
        {"[ordalis]\nTryOtherBaudRates=1\n", 0, 0, true},
        {"[ordalis]\nTryOtherBaudRates=no\n", 0, 0, true},  // unusable: the default
        {"[ordalis]\nTryOtherBaudRates=\n", 0, 0, true},
        {"[pset0]\nTryOtherBaudRates=0\n", 0, 0, true},  // only in its own section
    };
    QTemporaryDir dir;
    const QString path = dir.filePath("cfg.ini");
    for (const Case& c : cases) {
        Write(path, c.file);
        Settings s;
        LoadSettings(path, s);
        EXPECT_EQ(s.LanguageIndex, c.language) << c.file;
        EXPECT_EQ(s.LastComMode, c.comMode) << c.file;
        EXPECT_EQ(s.TryOtherRates, c.tryOtherRates) << c.file;
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
    s.TryOtherRates = false;
    QString error;
    ASSERT_TRUE(SaveSettings(path, s, &error)) << error.toStdString();
    const QByteArray text = Read(path);
    EXPECT_TRUE(text.startsWith("; comment kept\n[ports]\nCOM1=/tmp/ttyX\n")) << text.constData();
    EXPECT_TRUE(text.contains("[pset0]\nLauguageMode=1\nOther=5\n")) << text.constData();
    EXPECT_TRUE(text.contains("[pset1]\nLastComMode=1\n")) << text.constData();
    EXPECT_TRUE(text.contains(QByteArray("linkinf=") + s.linkRecord.ToHex().c_str() + "\n")) << text.constData();
    EXPECT_TRUE(text.contains("[ordalis]\nTryOtherBaudRates=0\n")) << text.constData();

    Settings back;
    LoadSettings(path, back);
    EXPECT_EQ(back.LanguageIndex, 1);
    EXPECT_EQ(back.LastComMode, 1);
    EXPECT_FALSE(back.TryOtherRates);
    EXPECT_EQ(IniText(text).Value("ports", "com1").value_or(""), "/tmp/ttyX");
}

// The whole file after a save, byte for byte: only the program's own lines change, every
// other line keeps its bytes and its line end; lines added take the file's line end, and
// a new file is written with CR LF.
TEST(SettingsFile, SaveRewritesOnlyItsOwnLines) {
    struct Case {
        const char* what;
        QByteArray before;  // null: no file yet
        uint8_t language;
        bool tryOtherRates;
        QByteArray after;  // '@' stands for the default link record's hex digits
    };
    const Case cases[] = {
        {"new file", QByteArray(), 0, true,
         "[pset3]\r\nlinkinf=@\r\n\r\n[pset1]\r\nLastComMode=0\r\n\r\n[pset0]\r\nLauguageMode=0\r\n\r\n"
         "[ordalis]\r\nTryOtherBaudRates=1\r\n"},
        // Used to be decoded as UTF-8 and re-encoded: GBK bytes came back as U+FFFD.
        {"GBK comment, key and value",
         "; \xC5\xE4\xD6\xC3\xCE\xC4\xBC\xFE\r\n[ports]\r\nCOM1=/dev/ttyUSB0 ; \xB4\xAE\xBF\xDA\r\n\r\n"
         "[pset0]\r\nLauguageMode=0\r\n\xD7\xA2=\xCA\xC7\r\n\r\n[pset3]\r\nlinkinf=00\r\n",
         1, false,
         "; \xC5\xE4\xD6\xC3\xCE\xC4\xBC\xFE\r\n[ports]\r\nCOM1=/dev/ttyUSB0 ; \xB4\xAE\xBF\xDA\r\n\r\n"
         "[pset0]\r\nLauguageMode=1\r\n\xD7\xA2=\xCA\xC7\r\n\r\n[pset3]\r\nlinkinf=@\r\n\r\n"
         "[pset1]\r\nLastComMode=0\r\n\r\n[ordalis]\r\nTryOtherBaudRates=0\r\n"},
        {"bytes that are not UTF-8", "[x]\nk=\xFF\xFE\x80\n", 0, true,
         "[x]\nk=\xFF\xFE\x80\n\n[pset3]\nlinkinf=@\n\n[pset1]\nLastComMode=0\n\n[pset0]\nLauguageMode=0\n\n"
         "[ordalis]\nTryOtherBaudRates=1\n"},
        {"mixed line ends: added lines take the first line's", "[ports]\r\nCOM1=a\n[pset1]\nLastComMode=1\n", 0,
         true,
         "[ports]\r\nCOM1=a\n[pset1]\nLastComMode=0\n\r\n[pset3]\r\nlinkinf=@\r\n\r\n[pset0]\r\nLauguageMode=0\r\n\r\n"
         "[ordalis]\r\nTryOtherBaudRates=1\r\n"},
        {"no line end at the end: the key goes into its section",
         "[pset3]\r\nlinkinf=@\r\n[pset1]\r\nLastComMode=0\r\n[pset0]\r\nLauguageMode=0\r\n[ordalis]\r\nOther=\xB7\xF1",
         0, true,
         "[pset3]\r\nlinkinf=@\r\n[pset1]\r\nLastComMode=0\r\n[pset0]\r\nLauguageMode=0\r\n[ordalis]\r\nOther=\xB7\xF1"
         "\r\nTryOtherBaudRates=1\r\n"},
        {"UTF-8 byte order mark before the first section", "\xEF\xBB\xBF[pset0]\r\nLauguageMode=0\r\n", 1, true,
         "\xEF\xBB\xBF[pset0]\r\nLauguageMode=1\r\n\r\n[pset3]\r\nlinkinf=@\r\n\r\n[pset1]\r\nLastComMode=0\r\n\r\n"
         "[ordalis]\r\nTryOtherBaudRates=1\r\n"},
    };
    const QByteArray hex = QByteArray::fromStdString(LinkRecord::Default().ToHex());
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString path = dir.filePath("cfg.ini");
        if (!c.before.isNull()) Write(path, QByteArray(c.before).replace('@', hex));
        Settings s;
        s.LanguageIndex = c.language;
        s.TryOtherRates = c.tryOtherRates;
        QString error;
        ASSERT_TRUE(SaveSettings(path, s, &error)) << c.what << ": " << error.toStdString();
        const QByteArray expected = QByteArray(c.after).replace('@', hex);
        const QByteArray text = Read(path);
        EXPECT_EQ(text, expected) << c.what << "\n got: " << text.toHex(' ').constData()
                                  << "\nwant: " << expected.toHex(' ').constData();
    }
}

TEST(IniText, ForeignValuesReadAndUnchangedFileRoundTrips) {
    const QByteArray file = "\xEF\xBB\xBF; \xC5\xE4\r\n[Ports]\r\n  com1 = /dev/ttyS1  \r\n;COM2=x\r\n[b]\nk=v";
    const IniText ini(file);
    EXPECT_EQ(ini.Value("PORTS", "COM1").value_or("?"), "/dev/ttyS1");
    EXPECT_FALSE(ini.Value("ports", "COM2"));  // commented out
    EXPECT_FALSE(ini.Value("b", "K ="));
    EXPECT_EQ(ini.Value("B", "K").value_or("?"), "v");
    EXPECT_EQ(ini.ToBytes(), file);
    EXPECT_EQ(IniText().ToBytes(), QByteArray());
}

}  // namespace
}  // namespace ordalis
