#include "common/OleDate.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace zeva {
namespace {

// Days from 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's days_from_civil).
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long yy = static_cast<long long>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yy + (m <= 2));
}

const long long kOleEpoch = DaysFromCivil(1899, 12, 30);

int DaysInMonth(int y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0)) return 29;
    return days[m - 1];
}

} // namespace

double OleNow() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    CalendarTime c{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                   local.tm_hour,        local.tm_min,     local.tm_sec};
    const double base = OleFromCalendar(c).value_or(0.0);
    return base + static_cast<double>(ms) / 86400000.0;
}

std::optional<double> OleFromCalendar(const CalendarTime& t) {
    if (t.year < 100 || t.year > 9999 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month) || t.hour < 0 || t.hour > 23 || t.minute < 0 || t.minute > 59 ||
        t.second < 0 || t.second > 59)
        return std::nullopt;
    const double days =
        static_cast<double>(DaysFromCivil(t.year, unsigned(t.month), unsigned(t.day)) - kOleEpoch);
    const double time = OleTime(t.hour, t.minute, t.second);
    // Before the epoch the integer part counts back while the fraction still counts forward.
    return days >= 0 ? days + time : days - time;
}

CalendarTime OleToCalendar(double date) {
    if (!std::isfinite(date) || std::fabs(date) > 3.0e6) date = 0.0;
    double whole = std::trunc(date);
    long long seconds = std::llround(std::fabs(date - whole) * 86400.0);
    long long day = static_cast<long long>(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += 1;
    }
    CalendarTime c;
    CivilFromDays(kOleEpoch + day, c.year, c.month, c.day);
    c.hour = static_cast<int>(seconds / 3600);
    c.minute = static_cast<int>(seconds / 60 % 60);
    c.second = static_cast<int>(seconds % 60);
    return c;
}

std::optional<CalendarTime> OleToCalendarChecked(double date) {
    if (!std::isfinite(date) || date <= -657435.0 || date >= 2958466.0) return std::nullopt;
    const CalendarTime c = OleToCalendar(date);
    if (c.year < 100 || c.year > 9999) return std::nullopt;
    return c;
}

double OleTime(int hour, int minute, int second) {
    return static_cast<double>(hour * 3600 + minute * 60 + second) / 86400.0;
}

} // namespace zeva
