#include "shell/CommandLine.h"

#include "common/Convert.h"
#include "common/FormatValue.h"
#include "common/TextUtil.h"

#include <cmath>

namespace zeva {
namespace {

const std::string kForceAdmin = "Forcing client to S99 ADMIN MODE";

// The user number as the two-digit text the identifier takes, rounded half away from zero like
// the "00" pattern; nullopt when it is not a number or outside 1-99 once rounded.
std::optional<std::string> UserNumber(const std::string& text, bool& numeric) {
    const auto value = ToDouble(text);
    numeric = value.has_value();
    if (!value) return std::nullopt;
    const double rounded = std::round(*value); // std::round is half away from zero
    if (rounded < 1 || rounded > 99) return std::nullopt;
    return FormatValue(rounded, "00");
}

// The ADMIN user number is the text's integer value: a fraction rounds half to even, as every
// text-to-integer conversion does ("2.5" gives 2).
std::optional<std::string> AdminUserNumber(const std::string& text, bool& numeric) {
    const auto value = ToDouble(text);
    numeric = value.has_value();
    if (!value) return std::nullopt;
    const double n = std::nearbyint(*value);
    if (n < 1 || n > 99) return std::nullopt;
    return FormatValue(n, "00");
}

std::string VersionPart(int major, int minor, int revision) {
    return kProgramTitle + " - V" + std::to_string(major) + "." + std::to_string(minor) + "(" +
           std::to_string(revision) + ")  2018";
}

} // namespace

CommandLineResult ParseCommandLine(const std::string& commandLine) {
    CommandLineResult r;
    const std::string first5 = Left(commandLine, 5);
    const std::string numberText = commandLine.size() > 4 ? commandLine.substr(5) : std::string();
    bool numeric = false;
    if (EqualsNoCase(first5, "ADMIN")) {
        r.AdminMode = true;
        r.Critical = true;
        r.Userid = "s99";
        if (numberText.empty()) {
            r.Message = kForceAdmin;
        } else if (const auto n = AdminUserNumber(numberText, numeric)) {
            r.Userid = "s" + *n;
            r.Critical = false;
        } else if (numeric) {
            r.Message =
                "ADMIN Mode: user is outside range [1-99] - > [" + commandLine + "]\r\n" + kForceAdmin;
        } else {
            r.Message = "ADMIN Mode: user number is not numeric - > [" + commandLine + "]\r\n" + kForceAdmin;
        }
        return r;
    }
    if (const auto n = UserNumber(first5, numeric)) {
        r.Userid = "s" + *n;
    } else {
        r.Userid = "s99";
        r.Message = "Bad command line parameters -> [" + first5 + "]. Forcing client to S99";
    }
    return r;
}

bool CheckUserid(std::string& userid) {
    std::string letter = " "; // a one-character field: an empty result reads as one blank
    if (!userid.empty()) {
        const char c = userid[0];
        if (c >= 'A' && c <= 'Z')
            letter = std::string(1, static_cast<char>(c - 'A' + 'a'));
        else if ((c >= 'a' && c <= 'z') || c == '*' || c == '?')
            letter = std::string(1, c);
    }
    const std::string digits = Mid(userid, 2, 2);
    if (digits == "??" || digits == "**") return false;
    const auto value = ToInt16(digits);
    // An identifier is three characters: a number outside 0-99 cannot make one.
    if (!value || *value < 0 || *value > 99) return false;
    userid = letter + FormatValue(*value, "00");
    return true;
}

std::string FirstLoadTitle(bool adminMode, const std::string& userid, int major, int minor, int revision) {
    if (!adminMode) return VersionPart(major, minor, revision);
    return VersionPart(major, minor, revision) + " (" + userid + ")" +
           "     A D M I N    M O D E         NORL Communications P/L";
}

std::string RunningTitle(bool adminMode, const std::string& userid, int major, int minor, int revision) {
    return VersionPart(major, minor, revision) + " (" + userid + ")" +
           (adminMode ? "     A D M I N    M O D E         NORL Communications P/L"
                      : "               NORL Communications P/L");
}

InfoRequest ProgramInfoRequest(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) return InfoRequest::None;
    if (arguments[0] == "--help" || arguments[0] == "-h") return InfoRequest::Help;
    if (arguments[0] == "--version") return InfoRequest::Version;
    return InfoRequest::None;
}

std::string UsageText(const std::string& program) {
    return "Usage: " + program +
           " [NN | ADMIN[NN]]\n"
           "The operator's display station of the ZEVA emergency-call data system.\n"
           "\n"
           "  NN        the operator's user number, 01 to 99: runs as client sNN (default s99)\n"
           "  ADMIN[NN] admin mode: the setup screens and the main menu; settings are saved at exit\n"
           "  --help, -h  this text;  --version  the version\n"
           "\n"
           "Reads from the current folder:\n"
           "  ZEVARegistry.mdb  the settings database (make a station's with: zeva-settings site)\n"
           "  ZEVAField.mdb     the field database, or the file named by Setup\\FieldDataBaseFile\n"
           "\n"
           "SIGTERM, SIGINT and SIGHUP close the station as its window's close does.\n"
           "Needs a display: run it in a desktop session, or under xvfb-run.\n";
}

} // namespace zeva
