// Subcommands of brumex-tool. Each subcommand lives in its own .cpp file and
// registers itself with a static ToolCommandRegistrar, so adding a command
// touches no other file.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

using ToolCommandFn = std::function<int(const std::vector<std::string>& args)>;

struct ToolCommandInfo {
    ToolCommandFn run;
    std::string usage; // one or more lines shown by "brumex-tool help"
};

std::map<std::string, ToolCommandInfo>& toolCommands();

struct ToolCommandRegistrar {
    ToolCommandRegistrar(const std::string& name, ToolCommandFn run, std::string usage)
    {
        toolCommands()[name] = ToolCommandInfo{std::move(run), std::move(usage)};
    }
};
