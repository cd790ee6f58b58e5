#pragma once
// The EEPROM images of the drives on the bus, kept in a small text file across runs:
//   drive 1 LQ340
//   0 1200
//   1 100
//   ...
// A drive takes the block of its address when the model matches.
#include <string>
#include <vector>

#include "sim/Drive.h"

namespace ordalis::sim {

// Loads the blocks that match drives of the bus; false when the file exists but cannot
// be read as such a file (a missing file is no error: nothing is loaded).
bool LoadState(const std::string& path, const std::vector<Drive*>& drives, std::string& error);
// Writes all drives' EEPROM images; the old file survives a failed write.
bool SaveState(const std::string& path, const std::vector<Drive*>& drives, std::string& error);

}  // namespace ordalis::sim
