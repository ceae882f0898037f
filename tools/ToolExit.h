#pragma once

// The exit status every ZEVA tool ends with, and the line each --help shows about it.
namespace zeva::tool {

constexpr int kDone = 0;   // the command was done
constexpr int kUsage = 1;  // the command line was wrong: nothing was done
constexpr int kFailed = 2; // the command could not be done (a missing or unreadable file, ...)

inline constexpr const char* kExitStatusHelp =
    "Exit status: 0 done, 1 usage error (nothing done), 2 failure.";

} // namespace zeva::tool
