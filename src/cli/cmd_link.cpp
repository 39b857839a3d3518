// varcelctl link show | set KEY TABLE | reset | learn FILE [--save]

#include "cli/cli_context.h"
#include "device/link_learn.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

namespace varcel {

namespace {

std::string describe(const LinkConstants& c) { return "key " + keyHex(c) + ", table " + tableHex(c); }

int showLinkConstants(CliContext& context)
{
    std::string source;
    const LinkConstants c = context.linkConstants(&source);
    std::cout << "Key:   " << keyHex(c) << "\nTable: " << tableHex(c) << "\nFrom:  " << source << "\n";
    if (c == builtInLinkConstants())
        std::cout << "These are the built-in constants.\n";
    return 0;
}

void saveLinkConstants(CliContext& context, const LinkConstants& c)
{
    context.lockDataFolder();
    throwIf(writeLinkFile(context.dataDir().path, c));
    std::cout << "Saved " << describe(c) << " in " << (context.dataDir().path / kLinkFileName).string() << ".\n";
}

int set(CliContext& context, const std::string& key, const std::string& table)
{
    const auto c = parseLinkConstants(key, table);
    if (!c)
        throw usage("link set takes the key as 12 hex digits and the table as 16 (as 5A17C38E41B6 "
                    "3D9207E468AF1BC5); nothing was saved");
    saveLinkConstants(context, *c);
    return 0;
}

int reset(CliContext& context)
{
    context.lockDataFolder();
    throwIf(removeLinkFile(context.dataDir().path));
    std::cout << "Back to the built-in link constants (" << describe(builtInLinkConstants()) << ").\n";
    return 0;
}

int learn(CliContext& context, const std::string& file, bool store)
{
    Problem problem;
    const LinkLearnResult result = learnLinkFromCapture(file, problem);
    throwIf(problem);
    if (result.outcome != LinkLearnResult::Outcome::Learned)
        throw CliError{linkNotLearnedText(result, systemLanguage())};
    std::cout << "Key:   " << keyHex(result.constants) << "\nTable: " << tableHex(result.constants) << "\n"
              << result.agreeing << " of the " << result.scrambled << " scrambled reports of the mouse ("
              << result.device << ") agree with them";
    if (result.plain)
        std::cout << "; " << result.plain << " plain reports were passed over";
    std::cout << ".\n";
    if (store)
        saveLinkConstants(context, result.constants);
    else
        std::cout << "To use them: varcelctl link set " << keyHex(result.constants) << ' ' << tableHex(result.constants)
                  << "\n";
    return 0;
}

} // namespace

void addLinkCommands(CLI::App& app, CliContext& context)
{
    auto* link = app.add_subcommand(
        "link", "The link constants (scrambling key and table) the mouse is talked to with: show, set, reset, "
                "or learn them from a USB capture");
    link->require_subcommand(1);

    runs(link->add_subcommand("show", "Show the link constants in use and where they come from"), context,
         showLinkConstants);

    auto* setCmd = link->add_subcommand("set", "Keep these link constants in the data folder's link file");
    // The words of whichever subcommand the line names: KEY and TABLE, or FILE.
    auto words = std::make_shared<std::pair<std::string, std::string>>();
    setCmd->add_option("KEY", words->first, "12 hex digits")->required();
    setCmd->add_option("TABLE", words->second, "16 hex digits")->required();
    runs(setCmd, context, [words](CliContext& cli) { return set(cli, words->first, words->second); });

    runs(link->add_subcommand("reset", "Go back to the built-in link constants (removes the link file)"), context,
         reset);

    auto* learnCmd = link->add_subcommand(
        "learn", "Learn the link constants from a USB capture (pcap or pcapng from usbmon, or USBPcap) of the mouse "
                 "being configured by a program that already talks to it");
    learnCmd->add_option("FILE", words->first, "The capture")->required();
    CLI::Option* saveFlag =
        learnCmd->add_flag("--save")->description("Keep what was learned in the data folder's link file");
    runs(learnCmd, context,
         [words, saveFlag](CliContext& cli) { return learn(cli, words->first, saveFlag->count() > 0); });
}

} // namespace varcel
