#pragma once
// The commands of ordalis-cli. Each takes its parsed arguments and returns an ExitCode.
#include <memory>

#include "cli/Args.h"
#include "cli/CliSupport.h"

namespace ordalis::cli {

int PortsCommand(Environment& env, const Args& args);
int ScanCommand(Environment& env, const Args& args);
int DoctorCommand(Environment& env, const Args& args);
int InfoCommand(Environment& env, const Args& args);
int ReadCommand(Environment& env, const Args& args);
int WriteCommand(Environment& env, const Args& args);
int EepromSaveCommand(Environment& env, const Args& args);
int MonitorCommand(Environment& env, const Args& args);
int CaptureCommand(Environment& env, const Args& args);
int SaveCommand(Environment& env, const Args& args);
int LoadCommand(Environment& env, const Args& args);

class DriveConnection;
// --port, --baud, --address (falling back to the program's last link), then connected:
// fullReadBack waits for the program's whole read-back.
int ConnectDrive(Environment& env, const Args& args, bool fullReadBack, std::unique_ptr<DriveConnection>* out);

}  // namespace ordalis::cli
