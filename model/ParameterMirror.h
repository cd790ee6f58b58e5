#pragma once
// The program's image of the drive parameters: one fixed field per parameter id,
// little-endian as on the wire. Command records point straight at the fields.
#include <cstdint>
#include <string>

namespace ordalis {

// A field as a command record sees it: where it lives and how many bytes it holds.
struct FieldRef {
    uint8_t* Data = nullptr;
    uint16_t Capacity = 0;
};

class ParameterMirror {
public:
    // Ids the program knows (Data model table). Unknown ids give a null FieldRef.
    FieldRef Field(uint16_t id);
    bool Has(uint16_t id) const;

    // Typed views of a field (the field must exist and be wide enough).
    int16_t GetI16(uint16_t id) const;
    uint16_t GetU16(uint16_t id) const;
    int32_t GetI32(uint16_t id) const;
    uint32_t GetU32(uint16_t id) const;
    void SetI16(uint16_t id, int16_t v);
    void SetU16(uint16_t id, uint16_t v);
    void SetI32(uint16_t id, int32_t v);
    void SetU32(uint16_t id, uint32_t v);
    bool Bit(uint16_t id, int bit) const;

    // Parameter 55: characters up to the first NUL, at most 64.
    std::string ModelName() const;
    void SetModelName(const std::string& name);  // for tests and the simulator

    // ... fields: filled in by the data-model work (one member per id).
};

}  // namespace ordalis
