// varcelctl: the mouse's configuration from the command line, on the same
// core as the window.
#include "cli/cli_context.h"
#include "platform/precise_pause.h"

int main(int argc, char** argv)
{
    varcel::usePreciseTimers();
    return varcel::runVarcelctl(std::vector<std::string>(argv, argv + argc));
}
