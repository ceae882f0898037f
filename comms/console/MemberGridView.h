#pragma once
#include "comms/CommEngine.h"

#include <cstdint>
#include <string>

namespace zeva {

class CommMemberType;
class FlexGrid;

// The comms console's member grid: header row "Property" / "Value" and one row per member field
// (rows 1 to 30 in CommEngine::MemberField order), then row 31, the count of received packets
// discarded for a bad check. A row's value cell is written only when its text
// changes, so a setter repeating a value costs no repaint; the Mode row also carries a colour that
// tells the link's state at a glance.
class MemberGridView {
  public:
    static constexpr int kRows = 32;
    static constexpr int kCol0Twips = 1635;
    static constexpr int kCol1Twips = 8000;
    // Cell colours, BGR as the grid takes them.
    static constexpr std::uint32_t kYellow = 0x00FFFF;
    static constexpr std::uint32_t kGreen = 0x00FF00;
    static constexpr std::uint32_t kWhite = 0xFFFFFF;

    // Builds rows, names and widths. mode: the member's Mode now (the Mode row changes only when a
    // later value differs from it).
    MemberGridView(FlexGrid& grid, std::int16_t mode);

    // Shows the field's current value from member.
    void Refresh(CommEngine::MemberField field, const CommMemberType& member);

    static int RowOf(CommEngine::MemberField field) { return static_cast<int>(field) + 1; }
    static const char* FieldName(CommEngine::MemberField field);
    // The value cell's text: numbers in decimal, date-times in the general date form, texts as they
    // are, Mode as its bit text, BufferSize as the FIFO's count.
    static std::string ValueText(CommEngine::MemberField field, const CommMemberType& member);
    // Yellow while a watchdog went out in the last tick, else green while logged in, else white.
    static std::uint32_t ModeColour(std::int16_t mode);
    // "dd/mm/yyyy hh:mm:ss"; only the time when the day part is the zero day (intervals such as the
    // watchdog period), only the date when the time is midnight.
    static std::string GeneralDateText(double value);

  private:
    FlexGrid& grid_;
    std::int16_t shownMode_;
};

} // namespace zeva
