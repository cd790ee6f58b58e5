#pragma once
// The simulator's end of the line: a pseudo-terminal whose slave side the program under
// test opens like a serial device. The master side reports the line speed the program
// set on the slave, which is how the drives know whether a byte reached them at their rate.
#include <cstdint>
#include <string>

namespace ordalis::sim {

class PtyLine {
public:
    PtyLine() = default;
    ~PtyLine();
    PtyLine(const PtyLine&) = delete;
    PtyLine& operator=(const PtyLine&) = delete;

    // Opens the pseudo-terminal and, when linkPath is not empty, makes it a symbolic link
    // to the slave (a stale link there is replaced; anything else is an error).
    bool Open(const std::string& linkPath, std::string& error);
    // Closes both sides and removes the link, as a pulled adapter disappears.
    void Close();
    bool IsOpen() const { return master_ >= 0; }

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    const std::string& LinkPath() const { return linkPath_; }
    // Line speed the program on the slave side has set, in bit/s; 0 when unknown.
    int32_t LineRate() const;

private:
    int master_ = -1;
    int slaveKeep_ = -1;  // keeps the slave open, so the master never sees a hang-up
    std::string slavePath_;
    std::string linkPath_;
};

// Bit rate of a terminal from its settings (custom rates included); 0 when unknown.
int32_t ReadLineRate(int fd);

}  // namespace ordalis::sim
