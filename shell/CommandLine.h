#pragma once
#include <string>
#include <vector>

namespace zeva {

// What the command line asks for: admin mode, the client identifier, and the message to show
// when the command line had to be corrected (empty when none).
struct CommandLineResult {
    bool AdminMode = false;
    std::string Userid;
    std::string Message;
    bool Critical = false; // critical icon with the client title; otherwise OK with the default title
};

// The whole argument text after the program name: "ADMIN" (any case) plus an optional user
// number, or a user number alone in its first five characters. "05" gives s05, "ADMIN12" s12 in
// admin mode, "ADMIN" alone s99 in admin mode. The plain user number is laid out by the "00"
// pattern, so it is rounded half away from zero before its range is checked: "2.5" gives s03 and
// "99.7" is out of range rather than "s100". The ADMIN number is the text's integer value (half to
// even): "ADMIN2.5" gives s02 and "ADMIN0.5" is out of range.
CommandLineResult ParseCommandLine(const std::string& commandLine);

// "--help", "-h" or "--version" as the only argument asks for the usage or the version instead of a
// station; every other command line is a station's (ParseCommandLine).
enum class InfoRequest { None, Help, Version };
InfoRequest ProgramInfoRequest(const std::vector<std::string>& arguments);
// The usage printed for --help: the user number, the ADMIN form and the files read from the
// current folder.
std::string UsageText(const std::string& program);

// Normalises a client identifier in place: a letter (upper case becomes lower case; '*' and '?'
// stay; anything else becomes a blank) and a two-digit number 0 to 99. Fails, leaving the
// identifier unchanged, for "??", "**", a non-number or a number outside 0-99.
bool CheckUserid(std::string& userid);

// The title used on critical messages.
inline const std::string kClientTitle = "ZEVA:ZEVA Screen Client";
inline const std::string kProgramTitle = "ZEVA Screen Client";

// Main window captions. The first-load title is shown while the hub setup dialog runs on a fresh
// settings database; the running title is the base that the connection status is appended to.
std::string FirstLoadTitle(bool adminMode, const std::string& userid, int major, int minor, int revision);
std::string RunningTitle(bool adminMode, const std::string& userid, int major, int minor, int revision);

} // namespace zeva
