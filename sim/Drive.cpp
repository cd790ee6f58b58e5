#include "sim/Drive.h"

#include <algorithm>
#include <cmath>

#include "link/CommandRecord.h"

namespace ordalis::sim {

namespace {
constexpr uint16_t kTunedIds[4] = {param::Cp, param::Ci, param::Ls, param::Rs};
constexpr int32_t kRates[] = {9600, 19200, 38400, 57600, 115200};

// Parameter 137 bits that stop the motor: the faults and both disables.
constexpr uint16_t kStopMask = (1u << StatusWordBit::OverCurrent) | (1u << StatusWordBit::UnderVoltage) |
                               (1u << StatusWordBit::OverVoltage) | (1u << StatusWordBit::PhaseA) |
                               (1u << StatusWordBit::PhaseB) | (1u << StatusWordBit::ExternalDisable) |
                               (1u << StatusWordBit::SoftwareDisable) | (1u << StatusWordBit::OverTemperature) |
                               (1u << StatusWordBit::EepromError) | (1u << StatusWordBit::OtherFault);

uint16_t U16(const uint8_t* d) { return static_cast<uint16_t>(d[0] | d[1] << 8); }
}  // namespace

Drive::Drive(uint8_t address, const ModelProfile& model, uint64_t seed)
    : address_(address), model_(model), working_(FactoryDefaults(model, address)), eeprom_(working_),
      rng_(seed ^ (0x5DEECE66Dull * (address + 1))), temperature_(model.Temperature),
      recorder_(model.SampleResolution)
{
    // The motor on this drive differs a little from the one the defaults were made for.
    std::uniform_real_distribution<double> spread(0.96, 1.04);
    measuredLs_ = static_cast<int16_t>(std::lround(model.TrueLs * spread(rng_)));
    measuredRs_ = static_cast<int16_t>(std::lround(model.TrueRs * spread(rng_)));
    lineRate_ = static_cast<int32_t>(working_.Get(param::BaudRate));
}

void Drive::PowerOnFrom(const ParameterSet& image)
{
    for (const auto& [id, e] : image.Entries()) {
        if (IsRuntimeParameter(id) || !working_.Has(id)) continue;
        working_.Set(id, e.Value);
        eeprom_.Set(id, e.Value);
    }
    lineRate_ = static_cast<int32_t>(working_.Get(param::BaudRate));
}

double Drive::NoiseUnit() { return std::uniform_real_distribution<double>(-1.0, 1.0)(rng_); }

bool Drive::Disabled() const { return (working_.Get(param::StatusWord) & kStopMask) != 0; }

bool Drive::GeneratorRunning() const
{
    return working_.Get(param::WorkMode) == WorkModeValue::GeneratorOn && !Disabled();
}

double Drive::GeneratorRpm() const { return double(working_.Get(param::GeneratorSpeed)) * 60.0 / 4000.0; }

void Drive::Advance(double nowMs)
{
    const double dt = std::max(0.0, nowMs - lastAdvanceMs_);
    lastAdvanceMs_ = std::max(lastAdvanceMs_, nowMs);
    // The heat sink warms up after power-on and follows the load, with a time constant
    // of a minute and a half.
    const double target = model_.Temperature + (GeneratorRunning() ? 120.0 : 40.0);
    temperature_ += (target - temperature_) * (1.0 - std::exp(-dt / 90000.0));

    if (tune_.Active) {
        // Resistance first, then inductance, then the gains computed from both.
        const double f = std::clamp((nowMs - tune_.StartMs) / kTuneMs, 0.0, 1.0);
        const double stage[4] = {std::clamp((f - 0.8) / 0.2, 0.0, 1.0), std::clamp((f - 0.8) / 0.2, 0.0, 1.0),
                                 std::clamp((f - 0.4) / 0.4, 0.0, 1.0), std::clamp(f / 0.4, 0.0, 1.0)};
        for (int i = 0; i < 4; ++i)
            working_.Set(kTunedIds[i], std::llround(tune_.From[i] + (tune_.To[i] - tune_.From[i]) * stage[i]));
        if (f >= 1.0) tune_.Active = false;
    }
}

int64_t Drive::Value(uint16_t id, double nowMs)
{
    Advance(nowMs);
    const int64_t stored = working_.Get(id);
    switch (id) {
    case param::BusVoltage: {
        const double sag = GeneratorRunning() ? 0.99 : 1.0;
        return std::clamp<int64_t>(std::llround(stored * sag + 25 * NoiseUnit()), 0, UINT16_MAX);
    }
    case param::Temperature:
        return std::llround(temperature_ + 0.6 * NoiseUnit());
    case param::Inputs: {
        if (!GeneratorRunning()) return stored;
        // Pulses arrive while the motor turns; the direction input follows the sign.
        int64_t v = stored & ~int64_t{(1 << InputsBit::Pulse) | (1 << InputsBit::Direction)};
        if (NoiseUnit() > 0) v |= 1 << InputsBit::Pulse;
        if (GeneratorRpm() >= 0) v |= 1 << InputsBit::Direction;
        return v;
    }
    default:
        return stored;
    }
}

MotionSnapshot Drive::Motion(double nowMs) const
{
    MotionSnapshot m;
    m.GeneratorOn = GeneratorRunning();
    m.GeneratorRpm = GeneratorRpm();
    const int64_t lines = working_.Get(param::EncoderLines);
    m.CountsPerRev = lines > 0 ? 4.0 * double(lines) : 4000.0;
    m.PolePairs = std::max<int64_t>(1, working_.Get(param::PolePairs));
    m.BusVolts = working_.Get(param::BusVoltage) / 100.0;
    m.CurrentAmps = Disabled() ? 0.0 : working_.Get(param::ContCurrent) / 100.0;
    m.LsHenry = working_.Get(param::Ls) / 1e5;
    m.RsOhm = working_.Get(param::Rs) / 100.0;
    m.StartSeconds = nowMs / 1000.0;
    m.Seed = (uint64_t(address_) << 48) ^ static_cast<uint64_t>(std::llround(nowMs));
    return m;
}

Answer Drive::Handle(uint8_t command, const uint8_t* data, size_t count, double nowMs)
{
    switch (command) {
    case CmdCommTest: return Answer::Done();
    case CmdRead: return Read(data, count, nowMs);
    case CmdWrite: return Write(data, count, nowMs);
    case CmdEeprom: return EepromOp(data, count);
    case CmdStudy: return Study(data, count, nowMs);
    case CmdTrace: return Trace(data, count, nowMs);
    default: return Answer::Fail(Condition::BadCommand);
    }
}

Answer Drive::Read(const uint8_t* data, size_t count, double nowMs)
{
    if (count != 2) return Answer::Fail(Condition::BadLength);
    const uint16_t id = U16(data);
    if (refused_.count(id)) return Answer::Fail(Condition::Refused);
    const ParameterSet::Entry* e = working_.Find(id);
    if (!e) return Answer::Fail(Condition::UnknownId);
    if (e->Kind == ValueKind::Text) return Answer::Done(working_.Bytes(id));
    const uint64_t v = static_cast<uint64_t>(Value(id, nowMs));
    std::vector<uint8_t> out(e->Width);
    for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
    return Answer::Done(std::move(out));
}

Answer Drive::Write(const uint8_t* data, size_t count, double nowMs)
{
    if (count < 3) return Answer::Fail(Condition::BadLength);
    const uint16_t id = U16(data);
    if (refused_.count(id)) return Answer::Fail(Condition::Refused);
    const ParameterSet::Entry* e = working_.Find(id);
    if (!e) return Answer::Fail(Condition::UnknownId);
    if (IsReadOnlyParameter(id)) return Answer::Fail(Condition::ReadOnly);
    const size_t n = count - 2;
    if (n > e->Width) return Answer::Fail(Condition::BadLength);
    const int64_t v = ParameterSet::FromBytes(e->Kind, data + 2, n);
    if (!ParameterSet::Fits(e->Kind, e->Width, v)) return Answer::Fail(Condition::BadValue);

    Advance(nowMs);
    Answer answer = Answer::Done();
    switch (id) {
    case param::BaudRate:
        if (std::find(std::begin(kRates), std::end(kRates), v) == std::end(kRates))
            return Answer::Fail(Condition::BadValue);
        // Answered at the old rate; the new one holds from the next frame.
        answer.NewLineRate = static_cast<int32_t>(v);
        break;
    case param::WorkMode:
        if (v != WorkModeValue::GeneratorOn && v != WorkModeValue::GeneratorOff)
            return Answer::Fail(Condition::BadValue);
        break;
    case param::StatusWord:
        // Clearing bit 11 clears its code with it.
        if (!(v & (1 << StatusWordBit::OtherFault))) working_.Set(param::FaultCode, 0);
        break;
    case param::Cp:
    case param::Ci:
    case param::Ls:
    case param::Rs:
        tune_.Active = false;  // a write during the tuning ends it
        break;
    default:
        break;
    }
    working_.Set(id, v);
    return answer;
}

Answer Drive::EepromOp(const uint8_t* data, size_t count)
{
    if (count < 2) return Answer::Fail(Condition::BadLength);
    switch (U16(data)) {
    case 0:  // read: the stored parameters become the working ones
        for (const auto& [id, e] : eeprom_.Entries())
            if (!IsRuntimeParameter(id)) working_.Set(id, e.Value);
        return Answer::Done();
    case 1:  // write
        for (const auto& [id, e] : working_.Entries())
            if (!IsRuntimeParameter(id)) eeprom_.Set(id, e.Value);
        if (OnEepromWrite) OnEepromWrite(*this);
        return Answer::Done();
    case 2: {  // recover: factory values into the working set
        const ParameterSet factory = FactoryDefaults(model_, address_);
        for (const auto& [id, e] : factory.Entries())
            if (!IsRuntimeParameter(id) && id != param::BaudRate) working_.Set(id, e.Value);
        return Answer::Done();
    }
    default:
        return Answer::Fail(Condition::BadCommand);
    }
}

Answer Drive::Study(const uint8_t* data, size_t count, double nowMs)
{
    if (count < 2) return Answer::Fail(Condition::BadLength);
    if (U16(data) != 0) return Answer::Fail(Condition::BadCommand);
    Advance(nowMs);
    if (Disabled()) return Answer::Fail(Condition::DisabledOrFault);
    if (tune_.Active) return Answer::Fail(Condition::Busy);
    tune_.Active = true;
    tune_.StartMs = nowMs;
    const double lsScale = model_.Ls > 0 ? double(model_.Cp) / model_.Ls : 5.0;
    const double rsScale = model_.Rs > 0 ? double(model_.Ci) / model_.Rs : 1.0;
    const int64_t to[4] = {std::clamp<int64_t>(std::llround(measuredLs_ * lsScale), 1, INT16_MAX),
                           std::clamp<int64_t>(std::llround(measuredRs_ * rsScale), 1, INT16_MAX), measuredLs_,
                           measuredRs_};
    for (int i = 0; i < 4; ++i) {
        tune_.From[i] = working_.Get(kTunedIds[i]);
        tune_.To[i] = to[i];
    }
    return Answer::Done();
}

Answer Drive::Trace(const uint8_t* data, size_t count, double nowMs)
{
    if (count < 2) return Answer::Fail(Condition::BadLength);
    Advance(nowMs);
    return recorder_.Handle(U16(data), data + 2, count - 2, nowMs, Motion(nowMs));
}

}  // namespace ordalis::sim
