// Where cfg.ini is read and written, and what survives a save that cannot finish.
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef Q_OS_UNIX
#include <sys/resource.h>

#include <csignal>
#endif

#include "SettingsTestFiles.h"
#include "core/SettingsFile.h"

namespace ordalis {
namespace {

using test::Read;
using test::Write;

// Sets or unsets an environment variable for one scope.
class ScopedEnv {
public:
    explicit ScopedEnv(const char* name) : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {}
    ScopedEnv(const char* name, const QString& value) : ScopedEnv(name) { qputenv(name_, value.toLocal8Bit()); }
    ~ScopedEnv() { had_ ? qputenv(name_, old_) : qunsetenv(name_); }
    void Unset() { qunsetenv(name_); }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

TEST(SettingsPaths, ChoiceBetweenExecutableAndUserFolder) {
    struct Case {
        const char* what;
        bool besideExists, userExists, folderWritable;
        const char* read;  // "exe" or "user"
        const char* write;
    };
    const Case cases[] = {
        {"first start, writable folder", false, false, true, "exe", "exe"},
        {"first start, installed program", false, false, false, "exe", "user"},
        // Used to read only the user's folder here, so the file beside the program was ignored.
        {"file beside an installed program", true, false, false, "exe", "user"},
        {"file beside, writable folder", true, false, true, "exe", "exe"},
        {"user file from an earlier run", true, true, false, "user", "user"},
        // Writing beside the program while the user's file is read would lose every change.
        {"user file, folder writable by now", true, true, true, "user", "user"},
        {"user file only", false, true, false, "user", "user"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        ASSERT_TRUE(QDir(dir.path()).mkpath("bin") && QDir(dir.path()).mkpath("user"));
        const QString beside = dir.filePath("bin/cfg.ini");
        const QString user = dir.filePath("user/cfg.ini");
        if (c.besideExists) Write(beside, "[pset0]\r\n");
        if (c.userExists) Write(user, "[pset0]\r\n");
        const SettingsPaths paths = ChooseSettingsPaths(beside, user, c.folderWritable);
        const auto name = [&](const QString& p) { return p == beside ? "exe" : p == user ? "user" : "?"; };
        EXPECT_STREQ(name(paths.read), c.read) << c.what;
        EXPECT_STREQ(name(paths.write), c.write) << c.what;
    }
    const SettingsPaths noUserFolder = ChooseSettingsPaths("/opt/o/cfg.ini", QString(), false);
    EXPECT_EQ(noUserFolder.read, "/opt/o/cfg.ini");
    EXPECT_EQ(noUserFolder.write, "/opt/o/cfg.ini");
}

TEST(SettingsPaths, ResolvedFromEnvironmentThenFolders) {
    QTemporaryDir dir;
    const ScopedEnv xdg("XDG_CONFIG_HOME", dir.filePath("config"));
    ScopedEnv cfg("ORDALIS_CFG", "/somewhere/else.ini");
    const SettingsPaths fromEnv = ResolveSettingsPaths(dir.path());
    EXPECT_EQ(fromEnv.read, "/somewhere/else.ini");
    EXPECT_EQ(fromEnv.write, "/somewhere/else.ini");
    cfg.Unset();

    const QString userDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    ASSERT_TRUE(userDir.startsWith(dir.filePath("config"))) << userDir.toStdString();  // never the real folder
    const QString userFile = QDir(userDir).filePath("cfg.ini");
    const QString exeDir = dir.filePath("bin");
    ASSERT_TRUE(QDir().mkpath(exeDir));

    SettingsPaths p = ResolveSettingsPaths(exeDir);
    EXPECT_EQ(p.read, exeDir + "/cfg.ini");
    EXPECT_EQ(p.write, exeDir + "/cfg.ini");
    EXPECT_FALSE(QFileInfo::exists(userDir)) << "created without need";

    // A folder that cannot be written (here: one that does not exist, which works as root too).
    const QString unwritable = dir.filePath("no-such-folder");
    p = ResolveSettingsPaths(unwritable);
    EXPECT_EQ(p.read, unwritable + "/cfg.ini");
    EXPECT_EQ(p.write, userFile);
    EXPECT_TRUE(QFileInfo(userDir).isDir()) << "made ready for the write";
    EXPECT_EQ(ResolveSettingsPath(unwritable), userFile);

    Write(userFile, "[pset0]\r\nLauguageMode=1\r\n");
    p = ResolveSettingsPaths(exeDir);
    EXPECT_EQ(p.read, userFile);
    EXPECT_EQ(p.write, userFile);
}

// An installed program whose folder cannot be written, with a cfg.ini beside it that
// holds a port map, a comment in the local code page and the language.
TEST(SettingsPaths, InstalledProgramMovesToUserFolderLosingNothing) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("bin") && QDir(dir.path()).mkpath("user"));
    const QString beside = dir.filePath("bin/cfg.ini");
    const QString user = dir.filePath("user/cfg.ini");
    const QByteArray besideText = "; \xB4\xAE\xBF\xDA\r\n[ports]\r\nCOM1=/dev/ttyS1\r\n[pset0]\r\nLauguageMode=1\r\n";
    Write(beside, besideText);

    const SettingsPaths first = ChooseSettingsPaths(beside, user, false);
    Settings s;
    LoadSettings(first.read, s);
    EXPECT_EQ(s.LanguageIndex, 1);
    s.LastComMode = 1;
    s.TryOtherRates = false;
    QString error;
    ASSERT_TRUE(SaveSettings(first, s, &error)) << error.toStdString();
    EXPECT_EQ(Read(beside), besideText);
    const QByteArray userText = Read(user);
    EXPECT_TRUE(userText.startsWith(besideText)) << userText.constData();
    EXPECT_TRUE(userText.contains("[pset1]\r\nLastComMode=1\r\n")) << userText.constData();

    // The next start reads what the last one wrote, and keeps writing there.
    const SettingsPaths second = ChooseSettingsPaths(beside, user, false);
    ASSERT_EQ(second.read, user);
    Settings again;
    LoadSettings(second.read, again);
    EXPECT_EQ(again.LanguageIndex, 1);
    EXPECT_EQ(again.LastComMode, 1);
    EXPECT_FALSE(again.TryOtherRates);
    again.LanguageIndex = 0;
    ASSERT_TRUE(SaveSettings(second, again, &error)) << error.toStdString();
    Settings third;
    LoadSettings(user, third);
    EXPECT_EQ(third.LanguageIndex, 0);
    EXPECT_TRUE(Read(user).startsWith("; \xB4\xAE\xBF\xDA\r\n[ports]\r\nCOM1=/dev/ttyS1\r\n[pset0]\r\nLauguageMode=0\r\n"));
    EXPECT_EQ(Read(beside), besideText);
}

TEST(SettingsPaths, SaveBuildsOnTheFileItReplacesAndNeverDropsAnUnreadableOne) {
    QTemporaryDir dir;
    const QString beside = dir.filePath("beside.ini");
    const QString user = dir.filePath("user.ini");
    Write(beside, "[ports]\r\nCOM1=/dev/ttyS1\r\n");
    Write(user, "[ports]\r\nCOM1=/dev/ttyUSB3\r\n");
    QString error;
    ASSERT_TRUE(SaveSettings(SettingsPaths{beside, user}, Settings{}, &error)) << error.toStdString();
    const QByteArray text = Read(user);
    EXPECT_TRUE(text.startsWith("[ports]\r\nCOM1=/dev/ttyUSB3\r\n")) << text.constData();
    EXPECT_FALSE(text.contains("ttyS1")) << text.constData();

    // A read file that cannot be opened (a folder, which stops root as well).
    const QString folder = dir.filePath("folder.ini");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString fresh = dir.filePath("fresh.ini");
    error.clear();
    EXPECT_FALSE(SaveSettings(SettingsPaths{folder, fresh}, Settings{}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(fresh));
}

#ifdef Q_OS_UNIX
// Caps the size of files this process may write, as a full disk would, for one scope.
// A write past the cap fails with EFBIG instead of raising SIGXFSZ. Unlike permission
// bits, the cap also stops root.
class FileSizeCap {
public:
    explicit FileSizeCap(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit capped = old_;
        capped.rlim_cur = bytes;
        ok_ = setrlimit(RLIMIT_FSIZE, &capped) == 0;
    }
    ~FileSizeCap() {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};
#endif

// Used to be checked with a missing folder only, which a plain write that truncates the
// old file first passes too. Here the disk fills up half-way through a write over an
// existing file: a truncating write would leave 64 bytes of the new text.
TEST(SettingsFile, FailedSaveLeavesTheOldFileWhole) {
#ifndef Q_OS_UNIX
    GTEST_SKIP() << "needs a file size limit";
#else
    QTemporaryDir dir;
    const QString path = dir.filePath("cfg.ini");
    const QByteArray old = "; \xB4\xAE\xBF\xDA\r\n[ports]\r\nCOM1=/dev/ttyS1\r\n[pset0]\r\nLauguageMode=0\r\n";
    Write(path, old);
    Settings s;
    s.LanguageIndex = 1;
    QString error;
    bool saved = true;
    {
        const FileSizeCap cap(64);
        ASSERT_TRUE(cap.ok());
        saved = SaveSettings(path, s, &error);
    }
    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(Read(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"cfg.ini"}) << "temporary file left";

    ASSERT_TRUE(SaveSettings(path, s, &error)) << error.toStdString();  // with room again
    EXPECT_TRUE(Read(path).startsWith("; \xB4\xAE\xBF\xDA\r\n[ports]\r\nCOM1=/dev/ttyS1\r\n[pset0]\r\nLauguageMode=1\r\n"));
#endif
}

TEST(SettingsFile, SaveIntoMissingFolderFailsWithAReason) {
    QTemporaryDir dir;
    const QString path = dir.filePath("missing-folder/cfg.ini");
    QString error;
    EXPECT_FALSE(SaveSettings(path, Settings{}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing-folder")));
}

}  // namespace
}  // namespace ordalis
