#pragma once
// One simulated drive: its parameters and EEPROM image, the moving measurements, the
// automatic current-loop tuning, the internal speed generator and the trace recorder.
// It turns one decoded request into one answer; time is passed in (ms since start), so
// tests can step it without waiting.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <random>
#include <set>
#include <string>

#include "sim/Answer.h"
#include "sim/ModelProfiles.h"
#include "sim/Parameters.h"
#include "sim/TraceRecorder.h"

namespace ordalis::sim {

class Drive {
public:
    static constexpr double kTuneMs = 2000;

    Drive(uint8_t address, const ModelProfile& model, uint64_t seed);

    uint8_t Address() const { return address_; }
    const ModelProfile& Model() const { return model_; }

    // Rate of the drive's UART. Starts at the stored parameter 53.
    int32_t LineRate() const { return lineRate_; }
    void SetLineRate(int32_t rate) { lineRate_ = rate; }

    // command and its data bytes (after the command byte, plain).
    Answer Handle(uint8_t command, const uint8_t* data, size_t count, double nowMs);

    // The value a read would report now (moving values included); 0 for unknown ids.
    int64_t Value(uint16_t id, double nowMs);

    // Every later read and write of id is answered with condition code 1, as if each
    // request had arrived corrupted: the host retries and gives up.
    void Refuse(uint16_t id) { refused_.insert(id); }

    ParameterSet& Working() { return working_; }
    ParameterSet& Eeprom() { return eeprom_; }
    // Copies the stored parameters of an image into the EEPROM and the working set, and
    // takes the line rate from it (a power-on with this image).
    void PowerOnFrom(const ParameterSet& image);
    // Called after an EEPROM write, to keep the image across runs.
    std::function<void(Drive&)> OnEepromWrite;

    bool Disabled() const;           // disable bits or any fault in parameter 137
    bool GeneratorRunning() const;   // work mode 14 and not disabled
    double GeneratorRpm() const;
    bool Tuning(double nowMs) const { return tune_.Active && nowMs < tune_.StartMs + kTuneMs; }
    TraceRecorder& Recorder() { return recorder_; }

private:
    Answer Read(const uint8_t* data, size_t count, double nowMs);
    Answer Write(const uint8_t* data, size_t count, double nowMs);
    Answer EepromOp(const uint8_t* data, size_t count);
    Answer Study(const uint8_t* data, size_t count, double nowMs);
    Answer Trace(const uint8_t* data, size_t count, double nowMs);
    void Advance(double nowMs);  // temperature drift, tuning progress
    MotionSnapshot Motion(double nowMs) const;
    double NoiseUnit();          // uniform in [-1, 1]

    struct Tune {
        bool Active = false;
        double StartMs = 0;
        int64_t From[4] = {};
        int64_t To[4] = {};
    };

    uint8_t address_;
    const ModelProfile& model_;
    ParameterSet working_;
    ParameterSet eeprom_;
    int32_t lineRate_ = 9600;
    std::mt19937_64 rng_;
    double temperature_;   // 0.1 degC
    double lastAdvanceMs_ = 0;
    Tune tune_;
    TraceRecorder recorder_;
    int16_t measuredLs_, measuredRs_;
    std::set<uint16_t> refused_;
};

}  // namespace ordalis::sim
