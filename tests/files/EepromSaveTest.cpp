// The EEPROM save and the "not saved to EEPROM" state.
#include <QTemporaryDir>

#include "core/FileTexts.h"
#include "tests/files/FilesFixture.h"

namespace ordalis::test {
namespace {

class EepromSaveTest : public FilesTest {
protected:
    int saved = 0;
    QStringList failed;
    std::vector<bool> changes;
    EepromSaveTest() {
        QObject::connect(&eeprom, &EepromSave::Saved, [this] { ++saved; });
        QObject::connect(&eeprom, &EepromSave::SaveFailed, [this](const QString& t) { failed << t; });
        QObject::connect(&eeprom, &EepromSave::NotSavedChanged, [this](bool b) { changes.push_back(b); });
    }
    void Write(uint16_t id, int64_t value) {
        ASSERT_EQ(drive.WriteParameter(id, value, {-32768, 65535}), WriteOutcome::Queued);
        Pump();
    }
};

TEST_F(EepromSaveTest, AWriteMakesItUnsavedUntilTheSaveIsAnswered) {
    Connect();
    EXPECT_FALSE(eeprom.NotSaved()) << "a read-back changes nothing";
    Write(pid::Cp, 1500);
    EXPECT_TRUE(eeprom.NotSaved());
    ASSERT_TRUE(eeprom.Save());
    EXPECT_TRUE(eeprom.NotSaved()) << "until the answer";
    Pump();
    EXPECT_EQ(bus.heard, (std::vector<std::string>{"D0=1500", "G1"}));
    EXPECT_EQ(bus.eepromWrites, 1);
    EXPECT_FALSE(eeprom.NotSaved());
    EXPECT_EQ(saved, 1);
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_EQ(changes, (std::vector<bool>{true, false}));
}

// Used to pass without a word.
TEST_F(EepromSaveTest, ConditionCodeOrRefusalSaysTheSettingsWereNotStored) {
    const struct {
        uint8_t code;
        const char* chinese;
        const char* english;
    } cases[] = {
        {5, "参数未能保存到EEPROM (代码 5)!", "The settings were not stored in the drive's EEPROM (code 5)!"},
        {1, "参数未能保存到EEPROM (驱动器拒绝)!",
         "The settings were not stored in the drive's EEPROM (refused by the drive)!"},
    };
    Connect();
    Write(pid::Cp, 1500);
    for (const auto& c : cases)
        for (uint8_t language : {0, 1}) {
            session.settings.LanguageIndex = language;
            bus.eepromCode = c.code;
            failed.clear();
            ASSERT_TRUE(eeprom.Save());
            Pump();
            EXPECT_EQ(failed, QStringList{QString::fromUtf8(language ? c.english : c.chinese)});
            EXPECT_TRUE(eeprom.NotSaved());
            EXPECT_EQ(saved, 0);
            EXPECT_EQ(linkLost, 0);
        }
}

TEST_F(EepromSaveTest, AWriteQueuedAfterTheSaveKeepsItUnsaved) {
    Connect();
    Write(pid::Cp, 1500);
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("f.esp"));
    ASSERT_TRUE(files.SaveFile(file));
    ASSERT_TRUE(eeprom.Save());
    ASSERT_TRUE(files.LoadFile(file));  // RunQueue: reaches the drive after the save
    Pump();
    EXPECT_EQ(saved, 1);
    EXPECT_TRUE(eeprom.NotSaved());
}

TEST_F(EepromSaveTest, SaveWithoutALinkIsReported) {
    Connect();
    Write(pid::Cp, 1500);
    bus.silent = true;
    Write(pid::Ci, 300);  // unanswered: the link is lost
    ASSERT_EQ(linkLost, 1);
    EXPECT_FALSE(eeprom.Save());
    Pump();
    ASSERT_EQ(failed.size(), 1);
    EXPECT_TRUE(eeprom.NotSaved());
}

TEST(ChangesStoredSettings, WritesOfSettingsAndTheTuningOnly) {
    ParameterMirror mirror;
    TraceBlock trace;
    DriveCallbacks callbacks;
    CommandLists lists(mirror, trace, callbacks);
    const struct {
        const char* name;
        CommandList list;
        bool changes;
    } cases[] = {
        {"write Cp", lists.WriteParam0List, true},
        {"write back", lists.WriteBackList, true},
        {"auto-tune", lists.AutoTuneList, true},
        {"anti-resonance", lists.AntiResAmp1List, true},
        {"free motor (137)", lists.FreeMotorList, false},
        {"speed generator", lists.GeneratorList, false},
        {"speed", lists.SpeedWriteList, false},
        {"EEPROM save", lists.EepromSaveList, false},
        {"read-back", lists.ReadBackList34, false},
        {"poll", lists.PollMonitorList, false},
    };
    for (const auto& c : cases) EXPECT_EQ(ChangesStoredSettings(c.list), c.changes) << c.name;
}

}  // namespace
}  // namespace ordalis::test
