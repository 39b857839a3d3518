// Commands about the mouse and the stored configuration: status, show.
#include "cli/cli_context.h"
#include "control/image_json.h"
#include "device/config_store.h"
#include "lang/device_messages.h"
#include "lang/language.h"

#include <CLI/CLI.hpp>
#include <iostream>

namespace varcel {

namespace {

const char* sourceName(DataDir::Source source)
{
    switch (source) {
    case DataDir::Source::Override: return "chosen with --data-dir";
    case DataDir::Source::Portable: return "beside the program";
    case DataDir::Source::UserConfig: return "user configuration";
    }
    return "";
}

int status(CliContext& context)
{
    const DataDir& dir = context.dataDir();
    std::cout << "Data folder: " << dir.path.string() << " (" << sourceName(dir.source) << ")\n";
    std::cout << "Looking for the mouse 04D9:A09F" << (context.simulate ? " (simulated)" : "") << "...\n";
    HidLink& link = context.connect(false);
    if (!context.discovered()) {
        std::cout << "Mouse: not found\nLink: " << linkStateName(link.state()) << "\n";
        throw CliError{context.notFoundMessage()};
    }
    std::cout << "Mouse: found\n"
              << "  command collection: feature " << link.featureLength() << ", input " << link.inputLength()
              << ", output " << link.outputLength() << " bytes\n";
    if (link.notificationHandle())
        std::cout << "  notification collection: input " << link.notificationLength() << " bytes\n";
    else
        std::cout << "  notification collection: not found (the mouse's own switches will not be reported)\n";
    std::cout << "Handshake: " << handshakeOutcomeName(context.lastHandshake()) << "\n"
              << "Link: " << linkStateName(link.state()) << "\n";
    if (context.lastHandshake() == HandshakeOutcome::OtherConstants)
        throw CliError{text::kLinkConstantsDiffer(systemLanguage())};
    if (!link.ready())
        throw CliError{"The system did not detect the gaming mouse!"};
    std::cout << "The system detect the gaming mouse.\n";
    return 0;
}

int showConfiguration(CliContext& context, bool asJson)
{
    ConfigStore store(context.dataDir().path, context.reporter());
    std::error_code ec;
    const auto size = std::filesystem::file_size(store.path(), ec);
    if (!ec && size != kConfigFileSize)
        throw CliError{store.path().string() + " is " + std::to_string(size) + " bytes, not " +
                       std::to_string(kConfigFileSize) + "; the program ignores it"};
    if (!store.load()) {
        throwIf(store.problem());
        throw CliError{"no configuration in " + context.dataDir().path.string()};
    }
    if (asJson)
        std::cout << imageToJson(store.working(), store.firstRunFlag()).dump(2) << "\n";
    else
        std::cout << "Configuration in " << store.path().string() << "\n\n"
                  << imageToText(store.working(), store.firstRunFlag());
    return 0;
}

} // namespace

void addDeviceCommands(CLI::App& app, CliContext& context)
{
    runs(app.add_subcommand("status", "Find the mouse, run the handshake and show the link state"), context, status);
    auto* showCmd = app.add_subcommand("show", "Show the stored configuration (config.bin) field by field");
    CLI::Option* asJson = showCmd->add_flag("--json")->description("Print JSON instead of text");
    runs(showCmd, context, [asJson](CliContext& cli) { return showConfiguration(cli, asJson->count() > 0); });
}

} // namespace varcel
