#include "sim/ModelProfiles.h"

namespace ordalis::sim {

namespace {
// Steppers of the LQ/TR line run open-loop two-phase motors (50 pole pairs, 1.8 degree);
// the HV120 is a mains-powered servo with an incremental encoder.
const std::vector<ModelProfile> kModels = {
    // name    code  bus    Ipk  Icont  Cp    Ci   Ls   Rs  tLs  tRs  enc   pp  Vp   Vi  Pp   Vff  dip     temp res
    {"LQ220", 220, 2400, 220, 160, 1200, 100, 180, 85, 212, 97, 1000, 50, 500, 50, 100, 0, 0x0F, 330, 50000},
    {"LQ340", 340, 2400, 400, 280, 1200, 100, 180, 85, 235, 112, 1000, 50, 500, 50, 100, 0, 0x0F, 350, 50000},
    {"LQ560", 560, 4800, 560, 400, 1500, 120, 250, 60, 281, 74, 1000, 50, 500, 50, 100, 0, 0x0F, 360, 50000},
    {"TR340", 1340, 3600, 400, 280, 1300, 110, 200, 90, 226, 103, 1000, 50, 600, 60, 120, 0, 0x1F, 340, 50000},
    {"TR560", 1560, 4800, 560, 400, 1600, 130, 260, 65, 297, 71, 1000, 50, 600, 60, 120, 0, 0x1F, 355, 50000},
    {"TR900", 1900, 8000, 900, 640, 2000, 160, 350, 45, 388, 52, 1000, 50, 700, 70, 150, 0, 0x3F, 380, 50000},
    {"HV120", 2120, 31000, 1200, 850, 800, 60, 520, 180, 548, 171, 1000, 4, 300, 20, 200, 100, 0x00, 400, 62500},
};
}  // namespace

const std::vector<ModelProfile>& Models() { return kModels; }

const ModelProfile* FindModel(const std::string& name)
{
    for (const ModelProfile& m : kModels)
        if (name == m.Name) return &m;
    return nullptr;
}

}  // namespace ordalis::sim
