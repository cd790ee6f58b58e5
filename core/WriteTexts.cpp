#include "core/WriteTexts.h"

#include <iterator>

#include "core/TextPair.h"
#include "link/Codec.h"
#include "link/CommandRecord.h"
#include "model/ParameterMirror.h"

namespace ordalis {

namespace {

struct NamedParameter {
    uint16_t id;
    TextPair name;
};

// The parameters the windows write, by the captions the user knows them under.
constexpr NamedParameter kNames[] = {
    {pid::Cp, {"Cp", "Cp"}},
    {pid::Ci, {"Ci", "Ci"}},
    {pid::IdleDelay, {"半流延时", "idle-current delay"}},
    {pid::Vp, {"Vp", "Vp"}},
    {pid::Vi, {"Vi", "Vi"}},
    {pid::Pp, {"Pp", "Pp"}},
    {pid::Vff, {"Vff", "Vff"}},
    {pid::PulseMode, {"脉冲输入方式", "pulse input mode"}},
    {pid::Smoothing, {"平滑时间常数", "smoothing time constant"}},
    {pid::PulseOptions, {"脉冲输入选项", "pulse input options"}},
    {pid::Ls, {"Ls", "Ls"}},
    {pid::Rs, {"Rs", "Rs"}},
    {pid::Res1Amplitude, {"共振区1幅值", "resonance zone 1 amplitude"}},
    {pid::Res1Phase, {"共振区1相位", "resonance zone 1 phase"}},
    {pid::Res2Amplitude, {"共振区2幅值", "resonance zone 2 amplitude"}},
    {pid::Res2Phase, {"共振区2相位", "resonance zone 2 phase"}},
    {pid::MicroStep, {"内部细分数", "internal micro-step"}},
    {pid::IdleCurrent, {"半流比例", "idle current"}},
    {pid::StatusWord, {"状态字", "status word"}},
    {pid::GeneratorSpeed, {"内部速度", "speed generator speed"}},
    {pid::WorkMode, {"工作模式", "work mode"}},
};

QString LogName(uint16_t id) {
    if (id >= std::size(ParamNames) || !ParamNames[id]) return {};
    const QString name = QString::fromUtf8(ParamNames[id]).trimmed();
    if (name.contains(QLatin1String("Not identified"))) return {};
    return name;
}

}  // namespace

QString ParameterDisplayName(uint8_t languageIndex, uint16_t id) {
    for (const NamedParameter& n : kNames)
        if (n.id == id) return n.name.Text(languageIndex);
    return LogName(id);
}

QString WriteRefusedText(uint8_t languageIndex, uint16_t id, uint16_t status) {
    QString parameter = QString::number(id);
    const QString name = ParameterDisplayName(languageIndex, id);
    if (!name.isEmpty()) parameter += languageIndex == 1 ? " (" + name + ")" : "（" + name + "）";
    const TextPair refused{"驱动器拒绝写入参数 %1（代码 %2），驱动器保留原值。",
                           "The drive refused the write of parameter %1 (code %2) and keeps its old value."};
    QString text = refused.Text(languageIndex).arg(parameter, QString::number(status));
    if (status == Failed) {
        const TextPair retries{"驱动器对多次重发均回答错误。", "It answered every re-send with an error."};
        text += u'\n' + retries.Text(languageIndex);
    }
    return text;
}

}  // namespace ordalis
