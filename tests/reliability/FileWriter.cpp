// Saves a file through the program's own code, for the reliability tests. KIND is a kind
// of tests/reliability/TornFiles.h ("cfg").
//   ordalis_file_writer loop KIND PATH
//       Saves the first content (what the file holds), writes 'r' to standard output,
//       then saves the second and the first content in turn until killed, writing 's'
//       after each completed save.
//   ordalis_file_writer limited KIND PATH BYTES keep|die
//       With files limited to BYTES (a full disk; -1: no limit), saves the second content once; with
//       "keep" the size signal is ignored, so writes fail instead of ending the process.
//       Prints "saved" or "failed: <reason>"; exit status 0 when saved.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/reliability/TornFiles.h"

using namespace ordalis;

namespace {

void Signal(char c) {
    while (write(STDOUT_FILENO, &c, 1) < 0) {
    }
}

int Loop(const std::string& kind, const QString& path) {
    // The first save, of what the file already holds, warms the code up, so the saves
    // the test kills take as long as in a running program.
    if (!test::SaveTorn(kind, path, false, nullptr)) return 1;
    Signal('r');
    for (bool second = true;; second = !second) {
        QString error;
        if (!test::SaveTorn(kind, path, second, &error)) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
            return 1;
        }
        Signal('s');
    }
}

int Limited(const std::string& kind, const QString& path, long bytes, bool keepRunning) {
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    if (bytes >= 0 && setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        std::perror("setrlimit");
        return 2;
    }
    if (keepRunning) std::signal(SIGXFSZ, SIG_IGN);
    QString error;
    if (test::SaveTorn(kind, path, true, &error)) {
        std::printf("saved\n");
        return 0;
    }
    std::printf("failed: %s\n", qPrintable(error));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "loop") == 0) return Loop(argv[2], QString::fromLocal8Bit(argv[3]));
    if (argc == 6 && std::strcmp(argv[1], "limited") == 0)
        return Limited(argv[2], QString::fromLocal8Bit(argv[3]), std::atol(argv[4]), std::strcmp(argv[5], "keep") == 0);
    std::fprintf(stderr, "usage: %s loop KIND PATH | limited KIND PATH BYTES keep|die\n", argv[0]);
    return 2;
}
