#include "core/TraceVariables.h"

#include <array>

namespace ordalis {

namespace {

struct Category {
    const char* zh;
    const char* en;  // nullptr: the English list has no entry for it
    const char* varsZh;  // names separated by '\n'
    const char* varsEn;
    std::array<int16_t, TraceCategoryPositions> codes;
};

const std::array<Category, TraceCategoryRows> kCategories = {{
    {"无", "None", "", "", {}},
    {"电流环", "Current", "给定电流\n反馈电流\n限制电流", "Commanded Current\nFeedback Current\nLimited Current",
     {1, 2, 3}},
    // The velocity row is not in ascending order: commanded is 5, feedback 4.
    {"速度环", "Velocity", "给定速度\n反馈速度\n速度误差\n限制速度",
     "Commanded Velocity\nFeedback Velocity\nVelocity Error\nLimited Velocity", {5, 4, 7, 6}},
    {"位置环", "Position", "给定位置\n反馈位置\n限制位置\n位置误差\n转子角度",
     "Commanded Position\nFeedback Position\nLimited Position\nPosition Error\nRotor angle", {9, 8, 10, 11, 23}},
    {"轨迹", "Profile", "轨迹速度\n轨迹加速度", "Profile Velocity\nProfile Acc", {}},
    {"电压", "Voltage", "模拟输入1电压\n母线电压", "Analog Voltage\nBus Voltage", {0, 12}},
    {"输入输出", "Input/Output", "开关输入1\n开关输入2\n开关输入3\n开关输出1\n开关输出2",
     "Sw input1\nSw input2\nSw input3\nSw Output1\nSw Output2", {}},
    {"警告状态", "Warings", "电流限制\n电压限制\n速度限制\n跟随警告",
     "Current Limited\nVoltage Limited\nVelocity Limited\nFollowing warning", {}},
    {"异常状态", "Faults", "", "", {}},
    {"杂项", "Miscellaneous", "", "", {}},
    // The English list of this category is shorter than its code row.
    {"观测变量", "Obs Var", "电流Ioa\n电流Iob\n电压EA\n电压EB\n电压VA\n电压VB\n角速度WR\n角度\n电流Ia\n电流Ib",
     "Ioa\nIob\nEoa\nEob", {13, 14, 15, 16, 17, 18, 19, 20, 21, 22}},
    {"步进变量", nullptr, "校正角\n校正角滤波\n输出角", " ", {24, 25, 26}},
}};

QStringList Split(const char* text) {
    const QString s = QString::fromUtf8(text);
    return s.isEmpty() ? QStringList() : s.split(u'\n');
}

}  // namespace

QStringList TraceCategories(uint8_t languageIndex) {
    QStringList out;
    for (const Category& c : kCategories) {
        const char* name = languageIndex == 1 ? c.en : c.zh;
        if (name) out << QString::fromUtf8(name);
    }
    return out;
}

QStringList TraceVariables(int category, uint8_t languageIndex) {
    if (category < 0 || category >= TraceCategoryRows) return {};
    const Category& c = kCategories[static_cast<size_t>(category)];
    return Split(languageIndex == 1 ? c.varsEn : c.varsZh);
}

int16_t TraceVariableCode(int category, int position) {
    if (category < 0 || category >= TraceCategoryRows || position < 0 || position >= TraceCategoryPositions)
        return 0;
    return kCategories[static_cast<size_t>(category)].codes[static_cast<size_t>(position)];
}

bool FindTraceVariable(int code, int& category, int& position) {
    if (code == 0) return false;
    for (int c = 0; c < TraceCategoryRows; ++c)
        for (int p = 0; p < TraceCategoryPositions; ++p)
            if (TraceVariableCode(c, p) == code) {
                category = c;
                position = p;
                return true;
            }
    return false;
}

QString VariableName(int code, uint8_t languageIndex) {
    if (code == 0) return TraceCategories(languageIndex).value(0);
    int category = 0, position = 0;
    if (!FindTraceVariable(code, category, position)) return {};
    return TraceVariables(category, languageIndex).value(position);
}

}  // namespace ordalis
