// The simulated drive's parameter table against the program's own: both are written
// from the drive's documentation, apart, so a wrong id or width on either side fails
// here instead of passing every integration test as a mistake shared by both ends.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "model/ParameterMirror.h"
#include "sim/DriveParameters.h"

namespace ordalis::sim {
namespace {

struct Shape {
    unsigned width = 0;
    bool text = false;
    bool operator==(const Shape&) const = default;
};
using Table = std::map<uint16_t, Shape>;

Table HostTable()
{
    Table t;
    for (const ParamInfo& p : KnownParameters()) t[p.Id] = {p.Width, p.Type == ParamType::Text};
    return t;
}

Table DriveTable()
{
    Table t;
    for (const DriveParam& p : DriveParameters()) t[p.Id] = {p.Width, p.Kind == ValueKind::Text};
    return t;
}

std::string Describe(const Shape& s)
{
    return s.text ? "text of " + std::to_string(s.width) : std::to_string(s.width) + " bytes";
}

// One line per id on which the tables differ.
std::vector<std::string> Differences(const Table& host, const Table& drive)
{
    std::vector<std::string> out;
    for (const auto& [id, shape] : host) {
        const auto it = drive.find(id);
        const std::string name = "id " + std::to_string(id);
        if (it == drive.end()) out.push_back(name + ": the drive lacks it");
        else if (!(it->second == shape))
            out.push_back(name + ": program " + Describe(shape) + ", drive " + Describe(it->second));
    }
    for (const auto& [id, shape] : drive)
        if (!host.count(id)) out.push_back("id " + std::to_string(id) + ": the program does not know it");
    return out;
}

std::string Lines(const std::vector<std::string>& v)
{
    std::string s;
    for (const std::string& l : v) s += l + "\n";
    return s;
}

TEST(ParameterTables, ProgramAndDriveAgreeOnEveryIdAndWidth)
{
    const Table host = HostTable(), drive = DriveTable();
    EXPECT_EQ(drive.size(), DriveParameters().size()) << "an id given twice in the drive's table";
    EXPECT_EQ(host.size(), KnownParameters().size()) << "an id given twice in the program's table";
    EXPECT_EQ(Differences(host, drive), std::vector<std::string>{}) << Lines(Differences(host, drive));
}

TEST(ParameterTables, TheComparisonNamesAWidthOrIdMistakeOnEitherSide)
{
    struct Case {
        const char* what;
        bool onHost;
        uint16_t id;
        int width;  // -1: remove the id
        const char* expected;
    } cases[] = {
        {"a 32-bit value read as 16", true, 154, 2, "id 154: program 2 bytes, drive 4 bytes"},
        {"a 16-bit value kept as 32", false, 137, 4, "id 137: program 2 bytes, drive 4 bytes"},
        {"a shorter model name", false, 55, 6, "id 55: program text of 64, drive text of 6"},
        {"an id the drive lacks", false, 99, -1, "id 99: the drive lacks it"},
        {"an id the program misses", true, 41, -1, "id 41: the program does not know it"},
    };
    for (const Case& c : cases) {
        Table host = HostTable(), drive = DriveTable();
        Table& t = c.onHost ? host : drive;
        if (c.width < 0) t.erase(c.id);
        else t[c.id].width = static_cast<unsigned>(c.width);
        EXPECT_EQ(Differences(host, drive), std::vector<std::string>{c.expected}) << c.what;
    }
}

}  // namespace
}  // namespace ordalis::sim
