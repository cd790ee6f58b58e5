// Saves cfg.ini through SaveSettings, for the reliability tests.
//   ordalis_settings_writer loop PATH
//       Saves the first settings (what the file holds), writes 'r' to standard output,
//       then saves the second and the first settings in turn until killed, writing 's'
//       after each completed save.
//   ordalis_settings_writer limited PATH BYTES keep|die
//       With files limited to BYTES (a full disk), saves the second settings once; with
//       "keep" the size signal is ignored, so writes fail instead of ending the process.
//       Prints "saved" or "failed: <reason>"; exit status 0 when saved.
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/SettingsFile.h"
#include "tests/reliability/TornFileSettings.h"

using namespace ordalis;

namespace {

void Signal(char c) {
    while (write(STDOUT_FILENO, &c, 1) < 0) {
    }
}

int Loop(const QString& path) {
    // A first save of what the file already holds (the first settings) warms the code
    // up, so the saves the test kills take as long as in a running program.
    if (!SaveSettings(path, test::TornSettings(false), nullptr)) return 1;
    Signal('r');
    for (bool second = true;; second = !second) {
        QString error;
        if (!SaveSettings(path, test::TornSettings(second), &error)) {
            std::fprintf(stderr, "save failed: %s\n", qPrintable(error));
            return 1;
        }
        Signal('s');
    }
}

int Limited(const QString& path, long bytes, bool keepRunning) {
    const rlimit limit{static_cast<rlim_t>(bytes), static_cast<rlim_t>(bytes)};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
        std::perror("setrlimit");
        return 2;
    }
    if (keepRunning) std::signal(SIGXFSZ, SIG_IGN);
    QString error;
    if (SaveSettings(path, test::TornSettings(true), &error)) {
        std::printf("saved\n");
        return 0;
    }
    std::printf("failed: %s\n", qPrintable(error));
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "loop") == 0) return Loop(QString::fromLocal8Bit(argv[2]));
    if (argc == 5 && std::strcmp(argv[1], "limited") == 0)
        return Limited(QString::fromLocal8Bit(argv[2]), std::atol(argv[3]), std::strcmp(argv[4], "keep") == 0);
    std::fprintf(stderr, "usage: %s loop PATH | limited PATH BYTES keep|die\n", argv[0]);
    return 2;
}
