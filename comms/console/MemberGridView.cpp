#include "comms/console/MemberGridView.h"

#include "common/Convert.h"
#include "common/FormatValue.h"
#include "common/OleDate.h"
#include "comms/CommMemberType.h"
#include "comms/PacketCodec.h"
#include "platform/FlexGrid.h"

#include <array>

namespace zeva {

namespace {

using F = CommEngine::MemberField;

constexpr std::array<const char*, 31> kNames = {
    "Identifier",    "Mode",        "SystemStateDES", "Address",    "Port",         "Description",
    "ServerAddress", "ServerPort",  "Packets",        "LastPacket", "RPackets",     "LastRPacket",
    "OPackets",      "LastOPacket", "BufferSize",     "BufferMax",  "RemoteBuffer", "LastConnection",
    "MemberExpire",  "Created",     "WatchDog",       "LastWDog",   "ExpWatchDog",  "ExpNextWDog",
    "Socket",        "MapTo",       "SystemState",    "TimeOut",    "Buffer",       "State",
    "BadChecks"};
static_assert(static_cast<int>(F::BadChecks) + 1 == static_cast<int>(kNames.size()));

std::string N(long long v) {
    return IntText(v);
}

} // namespace

MemberGridView::MemberGridView(FlexGrid& grid, std::int16_t mode) : grid_(grid), shownMode_(mode) {
    grid_.SetRedraw(false);
    grid_.SetRows(kRows);
    grid_.SetCols(2);
    grid_.SetFixedRows(1);
    grid_.SetFixedCols(1);
    grid_.SetTextMatrix(0, 0, "Property");
    grid_.SetTextMatrix(0, 1, "Value");
    for (std::size_t i = 0; i < kNames.size(); ++i)
        grid_.SetTextMatrix(static_cast<int>(i) + 1, 0, kNames[i]);
    grid_.SetColWidth(0, kCol0Twips);
    grid_.SetColWidth(1, kCol1Twips);
    grid_.SetRedraw(true);
}

const char* MemberGridView::FieldName(CommEngine::MemberField field) {
    const auto i = static_cast<std::size_t>(field);
    return i < kNames.size() ? kNames[i] : "";
}

std::string MemberGridView::GeneralDateText(double value) {
    // Outside the years a date can hold (damaged accept packet) the number itself is more use.
    if (!IsValidOleDate(value)) return DoubleText(value);
    const CalendarTime t = OleToCalendar(value);
    const bool zeroDay = t.year == 1899 && t.month == 12 && t.day == 30;
    const bool midnight = t.hour == 0 && t.minute == 0 && t.second == 0;
    if (zeroDay) return FormatValue(value, "hh:mm:ss");
    if (midnight) return FormatValue(value, "dd/mm/yyyy");
    return FormatValue(value, "dd/mm/yyyy hh:mm:ss");
}

std::uint32_t MemberGridView::ModeColour(std::int16_t mode) {
    if (mode & kModeWDG) return kYellow;
    if (mode & kModeCON) return kGreen;
    return kWhite;
}

std::string MemberGridView::ValueText(CommEngine::MemberField field, const CommMemberType& m) {
    switch (field) {
    case F::Identifier:
        return m.Identifier;
    case F::Mode:
        return CommEngine::ModeText(m.Mode);
    case F::SystemStateDES:
        return m.SystemStateDES;
    case F::Address:
        return m.Address;
    case F::Port:
        return N(m.Port);
    case F::Description:
        return m.Description;
    case F::ServerAddress:
        return m.ServerAddress;
    case F::ServerPort:
        return N(m.ServerPort);
    case F::Packets:
        return N(m.Packets);
    case F::LastPacket:
        return GeneralDateText(m.LastPacket);
    case F::RPackets:
        return N(m.RPackets);
    case F::LastRPacket:
        return GeneralDateText(m.LastRPacket);
    case F::OPackets:
        return N(m.OPackets);
    case F::LastOPacket:
        return GeneralDateText(m.LastOPacket);
    case F::BufferSize:
        return N(m.BufferSize());
    case F::BufferMax:
        return N(m.BufferMax);
    case F::RemoteBuffer:
        return N(m.RemoteBuffer);
    case F::LastConnection:
        return GeneralDateText(m.LastConnection);
    case F::MemberExpire:
        return GeneralDateText(m.MemberExpire);
    case F::Created:
        return GeneralDateText(m.Created);
    case F::WatchDog:
        return GeneralDateText(m.WatchDog);
    case F::LastWDog:
        return GeneralDateText(m.LastWDog);
    case F::ExpWatchDog:
        return GeneralDateText(m.ExpWatchDog);
    case F::ExpNextWDog:
        return GeneralDateText(m.ExpNextWDog);
    case F::Socket:
        return N(m.Socket);
    case F::MapTo:
        return N(m.MapTo);
    case F::SystemState:
        return N(m.SystemState);
    case F::TimeOut:
        return N(m.TimeOut);
    case F::Buffer:
        return m.Buffer;
    case F::State:
        return N(m.State);
    case F::BadChecks:
        return N(m.BadChecks);
    }
    return {};
}

void MemberGridView::Refresh(CommEngine::MemberField field, const CommMemberType& member) {
    const int row = RowOf(field);
    if (field == F::Mode) {
        if (member.Mode == shownMode_) return;
        shownMode_ = member.Mode;
        grid_.SetTextMatrix(row, 1, ValueText(field, member));
        // The colour goes to the cell directly; the current cell and the selection stay where the
        // operator left them, and the grid repaints once.
        const int curRow = grid_.Row();
        const int curCol = grid_.Col();
        grid_.SetRedraw(false);
        grid_.SetCellBackColor(row, 1, ModeColour(member.Mode));
        if (grid_.Row() != curRow) grid_.SetRow(curRow);
        if (grid_.Col() != curCol) grid_.SetCol(curCol);
        grid_.SetRedraw(true);
        return;
    }
    const std::string text = ValueText(field, member);
    if (grid_.TextMatrix(row, 1) != text) grid_.SetTextMatrix(row, 1, text);
}

} // namespace zeva
