#pragma once
// The parameter store of one simulated drive: every id of the drive's table, with its
// kind and width, holding one value each. Values are kept as integers (the model name
// as text) and put on the wire little-endian in the parameter's width.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sim/DriveParameters.h"
#include "sim/ModelProfiles.h"

namespace ordalis::sim {

class ParameterSet {
public:
    struct Entry {
        ValueKind Kind = ValueKind::Signed;
        uint8_t Width = 2;
        int64_t Value = 0;
        std::string Text;  // model name only
    };

    bool Has(uint16_t id) const { return entries_.count(id) != 0; }
    const Entry* Find(uint16_t id) const;
    int64_t Get(uint16_t id) const;  // 0 for an unknown id
    // False when the id is unknown or the value does not fit the parameter's type.
    bool Set(uint16_t id, int64_t value);
    bool SetText(uint16_t id, const std::string& text);
    // Wire bytes of the current value: the width's bytes, or the text without a NUL.
    std::vector<uint8_t> Bytes(uint16_t id) const;
    const std::map<uint16_t, Entry>& Entries() const { return entries_; }

    void Define(uint16_t id, ValueKind kind, uint8_t width, int64_t value);

    // Whether the value fits a number of this kind and width.
    static bool Fits(ValueKind kind, uint8_t width, int64_t value);
    // Reads a little-endian value of 1..4 bytes, sign-extended for signed kinds.
    static int64_t FromBytes(ValueKind kind, const uint8_t* bytes, size_t count);

private:
    std::map<uint16_t, Entry> entries_;
};

// A factory-fresh drive of this model at this address.
ParameterSet FactoryDefaults(const ModelProfile& model, uint8_t address);

// Values that live only while the drive is powered: measurements, fault state, the
// speed generator. They are neither stored in the EEPROM image nor restored from it.
bool IsRuntimeParameter(uint16_t id);
// Measurements and identity: a write is refused.
bool IsReadOnlyParameter(uint16_t id);

}  // namespace ordalis::sim
