// cfg.ini readers and writer against any file content (binary junk, huge values,
// duplicate sections, a linkinf of any length and content). Besides what the sanitizers
// see, it checks:
// - the INI text gives back the file byte for byte when nothing is set;
// - loading gives settings in range, and the stored link's selection reads inside it;
// - saving over the file and loading again gives exactly the settings saved, and saving
//   is stable: A, then B, then A again gives the bytes of saving A once;
// - saving into a new file elsewhere keeps the lines of the file read;
// - the [ports] map reads the same file without trouble.
#include <fuzzer/FuzzedDataProvider.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

#include "core/IniText.h"
#include "core/LinkRecord.h"
#include "core/SettingsFile.h"
#include "link/qt/PortMap.h"

using namespace ordalis;

namespace {

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "settings fuzz: %s\n", what);
    std::abort();
}

void Check(bool ok, const char* what) {
    if (!ok) Fail(what);
}

bool Same(const Settings& a, const Settings& b) {
    return a.LanguageIndex == b.LanguageIndex && a.LastComMode == b.LastComMode &&
           a.linkRecord.bytes == b.linkRecord.bytes && a.TryOtherRates == b.TryOtherRates;
}

Settings Draw(FuzzedDataProvider& in) {
    Settings s;
    s.LanguageIndex = in.ConsumeBool() ? 1 : 0;
    s.LastComMode = in.ConsumeIntegral<uint8_t>();
    s.TryOtherRates = in.ConsumeBool();
    const auto bytes = in.ConsumeBytes<uint8_t>(LinkRecord::kSize);
    std::copy(bytes.begin(), bytes.end(), s.linkRecord.bytes.begin());
    return s;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) Fail("saved file cannot be read");
    return f.readAll();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) Fail("cannot write the input file");
}

void Save(const QString& path, const Settings& s) {
    QString error;
    Check(SaveSettings(path, s, &error), "saving failed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // In memory where there is such a folder: saving syncs the file to disk.
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm/ordalis-fuzz-XXXXXX")
                                                                               : QDir::tempPath() + QStringLiteral("/ordalis-fuzz-XXXXXX"));
    const QString path = dir.filePath(QStringLiteral("cfg.ini"));

    FuzzedDataProvider in(data, size);
    const Settings a = Draw(in);
    const Settings b = Draw(in);
    const std::string hexProbe = in.ConsumeRandomLengthString(400);
    const std::vector<uint8_t> rest = in.ConsumeRemainingBytes<uint8_t>();
    const QByteArray content(reinterpret_cast<const char*>(rest.data()), static_cast<qsizetype>(rest.size()));

    // The link record from any text.
    LinkRecord record;
    if (record.FromHex(hexProbe)) {
        QByteArray upper = QByteArray::fromStdString(hexProbe.substr(0, 2 * LinkRecord::kSize)).toUpper();
        Check(record.ToHex() == upper.toStdString(), "link record does not give its hex back");
    }
    if (const auto sel = record.Selection()) Check(sel->entry <= LinkRecord::kMaxEntries && sel->index < 16, "selection outside the record");

    const IniText ini(content);
    Check(ini.ToBytes() == content, "the INI text changed a file nothing was set in");
    for (const char* key : {"LauguageMode", "LastComMode", "linkinf", "TryOtherBaudRates"})
        (void)ini.Value(QStringLiteral("pset0"), QString::fromLatin1(key));

    WriteAll(path, content);
    Settings loaded;
    LoadSettings(path, loaded);
    Check(loaded.LanguageIndex <= 1, "language index out of range");
    if (const auto sel = loaded.linkRecord.Selection())
        Check(sel->entry <= LinkRecord::kMaxEntries && sel->index < 16, "selection outside the record");
    const PortMap ports = PortMap::FromIni(path);
    for (const char* name : {"COM1", "COM2", "COM3", "COM4", "COM5", "com9"}) (void)ports.DevicePath(std::string(name));

    // Saving into a new file of the user's folder takes the other lines from the file
    // read: the same bytes as saving over that file.
    const QString moved = dir.filePath(QStringLiteral("moved.ini"));
    QFile::remove(moved);
    Check(SaveSettings(SettingsPaths{path, moved}, a, nullptr), "saving to a new file failed");
    Check(ReadAll(path) == content, "saving elsewhere changed the file read");

    Save(path, a);
    const QByteArray savedA = ReadAll(path);
    Check(ReadAll(moved) == savedA, "a file saved elsewhere lost lines of the file read");
    LoadSettings(path, loaded);
    Check(Same(loaded, a), "settings read back differ from the settings saved");
    Save(path, b);
    LoadSettings(path, loaded);
    Check(Same(loaded, b), "settings read back differ after a second save");
    Save(path, a);
    Check(ReadAll(path) == savedA, "saving A, B, A gives other bytes than saving A");
    return 0;
}
