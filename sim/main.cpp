// ordalis-drive-sim: one or several simulated drives on a pseudo-terminal.
#include <cstdio>
#include <string>
#include <vector>

#include "sim/Options.h"
#include "sim/Server.h"

int main(int argc, char** argv)
{
    using namespace ordalis::sim;
    SimOptions options;
    std::string error;
    if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
        std::fprintf(stderr, "ordalis-drive-sim: %s\n%s", error.c_str(), UsageText());
        return 2;
    }
    if (options.Help) {
        std::fputs(UsageText(), stdout);
        return 0;
    }
    Server server(std::move(options));
    if (!server.Start(error)) {
        std::fprintf(stderr, "ordalis-drive-sim: %s\n", error.c_str());
        return 1;
    }
    return server.Run();
}
