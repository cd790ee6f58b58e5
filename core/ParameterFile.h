#pragma once
// The 32-byte parameter file (.esp): a random byte, a checksum over bytes 2..31, the model
// code (parameter 54) and fourteen 16-bit parameters in write-back order, little-endian,
// each copied unchanged from its mirror field.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

#include "model/ParameterMirror.h"

namespace ordalis {

constexpr int kParameterFileSize = 32;
using ParameterFileImage = std::array<uint8_t, kParameterFileSize>;

// The parameters of bytes 4..31, in file order (the order of WriteBackList).
constexpr std::array<uint16_t, 14> kParameterFileIds = {pid::Cp,         pid::Ci,         pid::PulseMode,
                                                         pid::Ls,         pid::Rs,         pid::MicroStep,
                                                         pid::IdleDelay,  pid::IdleCurrent, pid::Res1Amplitude,
                                                         pid::Res2Amplitude, pid::Res1Phase, pid::Res2Phase,
                                                         pid::Smoothing,  pid::PulseOptions};

// What a file checked against the connected drive is.
enum class FileCheck {
    Ok,
    FormatError,    // missing, not exactly 32 bytes, or a checksum that does not match
    ModelMismatch,  // another model code than the drive's parameter 54
};

// The 8-bit sum of bytes 2..31.
uint8_t FileChecksum(const ParameterFileImage& image);
// Byte 0 := randomByte (0..254 when drawn by the caller), model code and the fourteen
// values from the mirror, byte 1 := their checksum.
ParameterFileImage BuildParameterFile(const ParameterMirror& mirror, uint8_t randomByte);
uint16_t FileWord(const ParameterFileImage& image, int offset);
// Checksum, then model code; a file that passes may be applied.
FileCheck CheckParameterFile(const ParameterFileImage& image, uint16_t modelCode);
// The fourteen values into their mirror fields (the model code stays).
void ApplyParameterFile(const ParameterFileImage& image, ParameterMirror& mirror);

// SaveBinFile: creates or replaces the file through a temporary file; false with the
// reason in *error when it cannot be written.
bool SaveBinFile(const QString& path, const ParameterFileImage& image, QString* error);
// LoadBinFileToServoPra: true and the image when the file exists and is exactly 32 bytes.
bool LoadBinFileToServoPra(const QString& path, ParameterFileImage& image);

// A file name typed without an extension gets ".esp".
QString WithParameterFileExtension(const QString& path);

}  // namespace ordalis
