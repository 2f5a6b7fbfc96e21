// brumex-tool: command-line access to the library (headless rendering,
// format conversion, NMEA decoding and replay).
#include "ToolCommand.h"

#include <QApplication>
#include <cstdio>
#include <exception>

std::map<std::string, ToolCommandInfo>& toolCommands()
{
    static std::map<std::string, ToolCommandInfo> commands;
    return commands;
}

static int printUsage(std::FILE* out)
{
    std::fprintf(out, "usage: brumex-tool COMMAND [ARGS...]\n\ncommands:\n");
    for (const auto& [name, info] : toolCommands())
        std::fprintf(out, "%s\n", info.usage.c_str());
    return out == stdout ? 0 : 2;
}

int main(int argc, char** argv)
{
    // Rendering needs fonts, images and the globe control (a widget), but
    // never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    if (argc < 2)
        return printUsage(stderr);
    const std::string name = argv[1];
    if (name == "help" || name == "--help" || name == "-h")
        return printUsage(stdout);
    const auto found = toolCommands().find(name);
    if (found == toolCommands().end()) {
        std::fprintf(stderr, "brumex-tool: unknown command '%s'\n", name.c_str());
        return printUsage(stderr);
    }
    try {
        return found->second.run(std::vector<std::string>(argv + 2, argv + argc));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "brumex-tool %s: %s\n", name.c_str(), e.what());
        return 1;
    }
}
