#include "sim/StateFile.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sim/Options.h"

namespace ordalis::sim {

bool LoadState(const std::string& path, const std::vector<Drive*>& drives, std::string& error)
{
    std::ifstream in(path);
    if (!in) return true;
    Drive* current = nullptr;
    ParameterSet image;
    const auto flush = [&]() {
        if (current) current->PowerOnFrom(image);
        current = nullptr;
    };
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ls(line);
        std::string first;
        ls >> first;
        if (first == "drive") {
            flush();
            int address = -1;
            std::string model;
            ls >> address >> model;
            for (Drive* d : drives)
                if (d->Address() == address && model == d->Model().Name) {
                    current = d;
                    image = d->Eeprom();
                }
            continue;
        }
        int64_t id = 0, value = 0;
        std::string valueText;
        ls >> valueText;
        if (!ParseInteger(first, id) || !ParseInteger(valueText, value)) {
            error = path + ":" + std::to_string(lineNo) + ": not 'ID VALUE'";
            return false;
        }
        if (current) image.Set(static_cast<uint16_t>(id), value);
    }
    flush();
    return true;
}

bool SaveState(const std::string& path, const std::vector<Drive*>& drives, std::string& error)
{
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::trunc);
        out << "# EEPROM images of ordalis-drive-sim\n";
        for (Drive* d : drives) {
            out << "drive " << int(d->Address()) << ' ' << d->Model().Name << '\n';
            for (const auto& [id, e] : d->Eeprom().Entries())
                if (!IsRuntimeParameter(id)) out << id << ' ' << e.Value << '\n';
        }
        out.flush();
        if (!out) {
            error = "cannot write " + tmp;
            std::remove(tmp.c_str());
            return false;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path;
        std::remove(tmp.c_str());
        return false;
    }
    return true;
}

}  // namespace ordalis::sim
