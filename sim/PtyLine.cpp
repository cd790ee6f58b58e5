#include "sim/PtyLine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace ordalis::sim {

PtyLine::~PtyLine() { Close(); }

bool PtyLine::Open(const std::string& linkPath, std::string& error)
{
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        Close();
        return false;
    }
    const char* name = ptsname(master_);
    slavePath_ = name ? name : "";
    slaveKeep_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slaveKeep_ < 0) {
        error = "cannot open " + slavePath_ + ": " + std::strerror(errno);
        Close();
        return false;
    }
    // Raw 8N1 at 9600 until the program sets its own: no echo, no line editing.
    termios t {};
    tcgetattr(slaveKeep_, &t);
    cfmakeraw(&t);
    cfsetispeed(&t, B9600);
    cfsetospeed(&t, B9600);
    tcsetattr(slaveKeep_, TCSANOW, &t);

    if (!linkPath.empty()) {
        struct stat st {};
        if (lstat(linkPath.c_str(), &st) == 0) {
            if (!S_ISLNK(st.st_mode)) {
                error = linkPath + " exists and is no symbolic link";
                Close();
                return false;
            }
            ::unlink(linkPath.c_str());
        }
        if (::symlink(slavePath_.c_str(), linkPath.c_str()) != 0) {
            error = "cannot create " + linkPath + ": " + std::strerror(errno);
            Close();
            return false;
        }
        linkPath_ = linkPath;
    }
    return true;
}

void PtyLine::Close()
{
    if (!linkPath_.empty()) {
        ::unlink(linkPath_.c_str());
        linkPath_.clear();
    }
    if (slaveKeep_ >= 0) ::close(slaveKeep_);
    if (master_ >= 0) ::close(master_);
    slaveKeep_ = master_ = -1;
}

int32_t PtyLine::LineRate() const { return master_ >= 0 ? ReadLineRate(master_) : 0; }

}  // namespace ordalis::sim
