#pragma once
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// The commands of zeva-settings, kept free of Qt so tests run them directly. Run returns the exit
// status (tools/ToolExit.h), prints results to out (UTF-8) and problems to err.
namespace zeva::settingstool {

struct Options {
    std::string file = "ZEVARegistry.mdb";
    bool all = false;   // list: every key the client reads, with the value it will use
    bool force = false; // set: a key the client does not read, or a value not of the key's kind;
                        // import: replace an existing file
    std::optional<std::string> hubAddress, hubPort, fieldDb; // site
};

// args[0] is the command: create, list, defaults, get, set, delete, site or import.
int Run(const std::vector<std::string>& args, const Options& options, std::ostream& out, std::ostream& err);

// What zeva-settings says of a command line its parser refused (without the program name): the
// parser's error, or for a negative value before -- (read as the options -1, -2, ...) where the
// value goes. args are the arguments after the program name.
std::string UsageErrorText(const std::string& parserError, const std::vector<std::string>& args);

// The commands as --help lists them.
extern const char* const kCommandHelp;

} // namespace zeva::settingstool
