// Kept apart from <termios.h>: the kernel's termios2 (which carries any bit rate as a
// number, also rates set as BOTHER) clashes with the C library's declarations.
#include <asm/ioctls.h>
#include <asm/termbits.h>

#include <cstdint>

extern "C" int ioctl(int fd, unsigned long request, ...);

namespace ordalis::sim {

int32_t ReadLineRate(int fd)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) return 0;
    return static_cast<int32_t>(t.c_ospeed);
}

}  // namespace ordalis::sim
