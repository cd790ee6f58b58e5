// ordalis-cli: the drives from scripts. Same settings file and [ports] mapping as the
// program; one command per run; exit codes in the help text.
#include <QCoreApplication>
#include <QStringList>

#include "cli/Commands.h"

using namespace ordalis::cli;

namespace {

const char* const kExitCodes =
    "Exit codes: 0 done, 1 usage, 2 port cannot be opened, 3 no answer,\n"
    "            4 refused by the drive, 5 file error.\n";

const char* const kDriveOptions =
    "  --port P      COM1 .. COM5 (through [ports] in cfg.ini) or a device path;\n"
    "                default: the port the program last connected to\n"
    "  --baud N      9600, 19200, 38400, 57600 or 115200 (the drive is switched to it);\n"
    "                default: the last link's, else 115200\n"
    "  --address N   slave address 0 .. 15; default: the last link's, else 1\n"
    "  --json        machine-readable output\n";

struct Command {
    const char* name;
    const char* synopsis;
    const char* help;
    QStringList valueOptions;
    QStringList flagOptions;
    int (*run)(Environment&, const Args&);
    bool drive;  // takes the drive options
};

const QStringList kDriveValues = {"port", "baud", "address"};

const Command kCommands[] = {
    {"ports", "ports [--json]",
     "Lists every COMn with its device, whether it exists, whether this user may open it,\n"
     "whether another program holds it, and the USB adapter's description.\n",
     {}, {"json"}, PortsCommand, false},
    {"scan", "scan --port P [--baud N] [--all-rates] [--json]",
     "Probes addresses 0 .. 15 at the port's rate (--baud, default 9600) and says for each:\n"
     "found (model, rate), silent, or garbled (bytes that are no valid answer: a drive at\n"
     "another rate, noise). --all-rates probes an address that does not answer at every\n"
     "other rate too. Exit code 3 when no drive answers.\n",
     {"port", "baud"}, {"all-rates", "json"}, ScanCommand, false},
    {"doctor", "doctor [--port P] [--lang zh|en] [--json]",
     "Checks why a drive cannot be reached: the device exists, this user may open it, no\n"
     "other program holds it, no braille-display daemon or modem manager takes USB serial\n"
     "adapters; then scans the bus at every rate and concludes in one line. Without\n"
     "--port every mapped port whose device exists. Exit code 0 when a drive answers,\n"
     "2 when the port cannot be used, 3 when nothing answers.\n",
     {"port", "lang"}, {"json"}, DoctorCommand, false},
    {"info", "info [drive options]",
     "Connects as the program does (wake-up, baud switch, identify, read-back) and prints\n"
     "the model and every parameter the program reads back.\n",
     kDriveValues, {"json"}, InfoCommand, true},
    {"read", "read ID... [drive options]",
     "Reads parameters, by number (53) or by log name (kp).\n", kDriveValues, {"json"}, ReadCommand, true},
    {"write", "write ID=VALUE... [--eeprom-save] [drive options]",
     "Writes parameters (by number or log name; values decimal or 0x hex). A value equal to\n"
     "the drive's is not sent. A write the drive refuses ends the command with exit code 4.\n"
     "The values hold until the drive is switched off unless they are stored in its EEPROM:\n"
     "--eeprom-save does that on the same connection (or run eeprom-save afterwards).\n",
     kDriveValues, {"json", "eeprom-save"}, WriteCommand, true},
    {"eeprom-save", "eeprom-save [drive options]",
     "Stores the drive's working parameters in its EEPROM.\n", kDriveValues, {"json"}, EepromSaveCommand, true},
    {"save", "save FILE.esp [drive options]",
     "Reads the drive back and saves its parameter file (the program's .esp format).\n",
     kDriveValues, {"json"}, SaveCommand, true},
    {"load", "load FILE.esp [--eeprom-save] [drive options]",
     "Checks the file (format, the drive's model) and writes its parameters into the drive,\n"
     "as the program's Open File does; --eeprom-save then stores them in the EEPROM. A file\n"
     "that fails its checks is exit code 5, a parameter the drive refuses exit code 4.\n",
     kDriveValues, {"json", "eeprom-save"}, LoadCommand, true},
    {"capture", "capture --channels CODE,... [--time 25ms] --csv FILE [drive options]",
     "One oscilloscope capture of up to six trace variables (codes as the program's\n"
     "oscilloscope lists them) over 25ms, 50ms, 125ms, 250ms, 500ms, 1.25s, 2.5s or 5s,\n"
     "saved as CSV (time in seconds, each channel in its unit).\n",
     {"port", "baud", "address", "channels", "time", "csv"}, {"json"}, CaptureCommand, true},
    {"monitor", "monitor [--count N] [drive options]",
     "Prints the drive's status every 300 ms (status word, fault code, bus voltage,\n"
     "temperature, inputs) until Ctrl-C, or N lines.\n",
     {"port", "baud", "address", "count"}, {"json"}, MonitorCommand, true},
};

void PrintOverview() {
    QString text = QStringLiteral("Usage: ordalis-cli COMMAND [options]   (ordalis-cli COMMAND --help for one)\n\nCommands:\n");
    for (const Command& c : kCommands) text += QStringLiteral("  %1\n").arg(QString::fromLatin1(c.synopsis));
    text += QStringLiteral("\nSettings: the program's cfg.ini ($ORDALIS_CFG, ~/.config/Ordalis/cfg.ini or beside\n"
                           "the program), with its [ports] mapping.\n");
    text += QString::fromLatin1(kExitCodes);
    Out(text);
}

void PrintHelp(const Command& c) {
    QString text = QStringLiteral("Usage: ordalis-cli %1\n\n%2").arg(QString::fromLatin1(c.synopsis), QString::fromLatin1(c.help));
    if (c.drive) text += QStringLiteral("\nDrive options:\n") + QString::fromLatin1(kDriveOptions);
    text += QStringLiteral("\n") + QString::fromLatin1(kExitCodes);
    Out(text);
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Ordalis"));
    QStringList words = QCoreApplication::arguments().mid(1);
    if (words.isEmpty()) {
        PrintOverview();
        return kUsage;
    }
    const QString name = words.takeFirst();
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        PrintOverview();
        return kDone;
    }
    for (const Command& c : kCommands) {
        if (name != QLatin1String(c.name)) continue;
        if (words.contains(QStringLiteral("--help")) || words.contains(QStringLiteral("-h"))) {
            PrintHelp(c);
            return kDone;
        }
        Args args;
        QString error;
        if (!Args::Parse(words, c.valueOptions, c.flagOptions, &args, &error))
            return Fail(kUsage, error + QStringLiteral(" (ordalis-cli %1 --help)").arg(name));
        if (!c.drive && name != QLatin1String("read") && !args.positionals.isEmpty() &&
            name != QLatin1String("write"))
            return Fail(kUsage, QStringLiteral("unexpected '%1' (ordalis-cli %2 --help)").arg(args.positionals.first(), name));
        Environment env = Environment::Load();
        return c.run(env, args);
    }
    return Fail(kUsage, QStringLiteral("unknown command '%1' (ordalis-cli --help)").arg(name));
}
