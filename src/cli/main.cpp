// varcelctl: the mouse's configuration from the command line, on the same
// core as the window.
#include "cli/cli_context.h"
#include "cli/cmd_buttons.h"
#include "cli/cmd_macros.h"
#include "cli/cmd_settings.h"
#include "cli/cmd_profile.h"
#include "cli/cmd_pointer.h"
#include "cli/cmd_link.h"

#include <iostream>

int main(int argc, char** argv)
{
    using namespace varcel;
    CLI::App app{"Configure the Varcel gaming mouse (USB 04D9:A09F) from the command line.", "varcelctl"};
    app.set_version_flag("--version", std::string("varcelctl ") + VARCEL_VERSION);
    app.require_subcommand(1);

    CliContext context;
    CLI::Option* simulate =
        app.add_flag("--simulate", context.simulate, "Use the built-in simulated mouse instead of the real one");
    // A folder given must be there: an empty or mistyped one would quietly
    // fall back to another folder's files.
    app.add_option("--data-dir", context.dataDirOption,
                   "Folder of config.bin, record.ini and str.ini (default: beside the program, else ~/.config/varcel)")
        ->check(CLI::ExistingDirectory);
    app.add_flag("--trace", context.trace, "Print every report exchanged with the mouse, in plain form");
    app.add_flag("--trace-wire", context.traceWire,
                 "Print every command report and reply as it is on the wire (scrambled) beside its plain form, "
                 "to compare with a capture of the real mouse");
    app.add_option("--sim-fault", context.simFault,
                   "Make the simulated mouse misbehave: none, plain, silent, short, unplug-after, command-first, "
                   "unopenable-first, oversize, wrong-block, bad-checksum, refuse-once")
        ->capture_default_str();
    app.add_option("--sim-unplug-after", context.simUnplugAfter,
                   "With --sim-fault unplug-after: reports the simulated mouse takes or gives (the replies and "
                   "data the program reads count too) before it is pulled out; with refuse-once: the number of "
                   "the report it refuses")
        ->check(CLI::NonNegativeNumber);

    // A value that is not KEY:TABLE is refused before anything runs.
    const CLI::Validator linkValue(checkLinkOption, "");
    app.add_option("--link", context.linkOption,
                   "Link constants for this run only, as KEY:TABLE (12 and 16 hex digits); the data folder's "
                   "link file and the built-in ones are left alone")
        ->type_name("KEY:TABLE")
        ->check(linkValue);
    app.add_option("--sim-link", context.simLinkOption,
                   "Make the simulated mouse scramble with these link constants (KEY:TABLE)")
        ->type_name("KEY:TABLE")
        ->check(linkValue)
        ->needs(simulate);
    app.add_option("--capture", context.captureFile,
                   "Write what the simulated mouse sends and receives to FILE, as a usbmon capture (pcap)")
        ->type_name("FILE")
        ->needs(simulate);

    addDeviceCommands(app, context);
    addSessionCommands(app, context);
    addButtonCommands(app, context);
    addMacroCommands(app, context);
    addSettingsCommands(app, context);
    addProfileCommands(app, context);
    addPointerCommands(app, context);
    addLinkCommands(app, context);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // CLI11 prints its message; every usage error is status 2.
        return app.exit(e) == 0 ? 0 : kUsageError;
    }
    try {
        return context.run ? context.run() : 0;
    } catch (const CliError& e) {
        std::cerr << "varcelctl: " << e.message << '\n';
        return e.exitCode;
    } catch (const std::exception& e) {
        std::cerr << "varcelctl: " << e.what() << '\n';
        return 1;
    }
}
