#pragma once
#include <optional>

namespace zeva {

// Date-times are OLE date doubles: days since 1899-12-30 in local time, the fraction being the
// time of day. Intervals use the same unit, so one second is 1.0 / 86400.
constexpr double kOleSecond = 1.0 / 86400.0;

struct CalendarTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

// The current local time.
double OleNow();
// Calendar fields to a date double; nullopt for a date that does not exist (month 13, 31 April...).
std::optional<double> OleFromCalendar(const CalendarTime& t);
// A date double to calendar fields, rounded to the nearest second. Before 1899-12-30 the integer
// part counts days back and the fraction still counts forward, as OLE dates do.
CalendarTime OleToCalendar(double date);
// As OleToCalendar, but nullopt for a date outside 0100-01-01 00:00:00 to 9999-12-31 23:59:59 (after
// rounding to the second), the years a date-time can hold, instead of a made-up day.
std::optional<CalendarTime> OleToCalendarChecked(double date);
// Time-of-day double (0 <= t < 1) from hours, minutes and seconds.
double OleTime(int hour, int minute, int second);

} // namespace zeva
