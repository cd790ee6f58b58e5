#pragma once
// The seven drive models, told apart by the model name (parameter 55). Names compare
// exactly and case-sensitively; pass ParameterMirror::ModelName(), which stops at the NUL.
#include <array>
#include <string_view>

namespace ordalis {

constexpr std::string_view ModelHv120 = "HV120";
constexpr std::array<std::string_view, 6> LqTrModels = {"LQ220", "LQ340", "LQ560", "TR340", "TR560", "TR900"};

inline bool IsHv120(std::string_view name) { return name == ModelHv120; }

inline bool IsLqTrFamily(std::string_view name)
{
    for (std::string_view m : LqTrModels)
        if (name == m) return true;
    return false;
}

inline bool IsKnownModel(std::string_view name) { return IsHv120(name) || IsLqTrFamily(name); }

}  // namespace ordalis
