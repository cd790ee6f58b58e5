#include "core/ParameterFile.h"

#include <QFile>
#include <QFileInfo>

#include "core/WholeFile.h"

namespace ordalis {

namespace {
constexpr int kModelOffset = 2;
constexpr int kFirstValueOffset = 4;

void PutWord(ParameterFileImage& image, int offset, uint16_t v) {
    image[offset] = static_cast<uint8_t>(v & 0xFF);
    image[offset + 1] = static_cast<uint8_t>(v >> 8);
}
}  // namespace

uint8_t FileChecksum(const ParameterFileImage& image) {
    unsigned sum = 0;
    for (int i = 2; i < kParameterFileSize; ++i) sum += image[i];
    return static_cast<uint8_t>(sum & 0xFF);
}

uint16_t FileWord(const ParameterFileImage& image, int offset) {
    return static_cast<uint16_t>(image[offset] | image[offset + 1] << 8);
}

ParameterFileImage BuildParameterFile(const ParameterMirror& mirror, uint8_t randomByte) {
    ParameterFileImage image{};
    image[0] = randomByte;
    PutWord(image, kModelOffset, mirror.GetU16(pid::ModelCode));
    for (size_t i = 0; i < kParameterFileIds.size(); ++i)
        PutWord(image, kFirstValueOffset + 2 * static_cast<int>(i), mirror.GetU16(kParameterFileIds[i]));
    image[1] = FileChecksum(image);
    return image;
}

FileCheck CheckParameterFile(const ParameterFileImage& image, uint16_t modelCode) {
    if (FileChecksum(image) != image[1]) return FileCheck::FormatError;
    if (FileWord(image, kModelOffset) != modelCode) return FileCheck::ModelMismatch;
    return FileCheck::Ok;
}

void ApplyParameterFile(const ParameterFileImage& image, ParameterMirror& mirror) {
    for (size_t i = 0; i < kParameterFileIds.size(); ++i)
        mirror.SetU16(kParameterFileIds[i], FileWord(image, kFirstValueOffset + 2 * static_cast<int>(i)));
}

bool SaveBinFile(const QString& path, const ParameterFileImage& image, QString* error) {
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()), kParameterFileSize);
    return WriteWholeFile(path, bytes, error);
}

bool LoadBinFileToServoPra(const QString& path, ParameterFileImage& image) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    // One byte more than the format: a longer file is told apart without reading it all.
    const QByteArray bytes = file.read(kParameterFileSize + 1);
    if (bytes.size() != kParameterFileSize) return false;
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return true;
}

QString WithParameterFileExtension(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) return path;
    return path + QStringLiteral(".esp");
}

}  // namespace ordalis
