#include "comms/CommMemberType.h"

#include "common/Convert.h"
#include "comms/PacketCodec.h"

#include <optional>

namespace zeva {

namespace {

constexpr double kMinute = 60.0 / 86400.0;

// Reads the member fields in order; a number or date that does not convert marks the whole read
// failed but reading goes on, as the packet reader does.
class FieldReader {
  public:
    explicit FieldReader(std::string_view text) : text_(text) {}

    template <typename Int> void Number(Int& value) {
        std::string field;
        std::size_t end = 0;
        ReadTabField(text_, pos_, field, end);
        pos_ = end + 1;
        std::optional<std::int32_t> v;
        if constexpr (sizeof(Int) == 2) {
            auto v16 = ToInt16(field);
            if (v16) v = *v16;
        } else {
            v = ToInt32(field);
        }
        if (v)
            value = static_cast<Int>(*v);
        else
            ok_ = false;
    }
    void Date(double& value) {
        std::string field;
        std::size_t end = 0;
        ReadTabField(text_, pos_, field, end);
        pos_ = end + 1;
        auto v = ToDouble(field);
        if (v && IsValidOleDate(*v))
            value = *v;
        else
            ok_ = false;
    }
    void Counted(std::string& value) {
        std::size_t end = 0;
        ReadCountedField(text_, pos_, value, end);
        pos_ = end + 1;
    }
    void Fixed3(std::string& value) {
        std::size_t end = 0;
        ReadFixedField(text_, pos_, 3, value, end);
        pos_ = end + 1;
    }
    bool Ok() const { return ok_; }

  private:
    std::string_view text_;
    std::size_t pos_ = 5;
    bool ok_ = true;
};

} // namespace

void CommMemberType::Clear(double now) {
    State = 0;
    SystemState = 0;
    SystemStateDES.clear();
    Identifier.clear();
    Description.clear();
    Address.clear();
    Port = 0;
    Socket = -1;
    ServerAddress.clear();
    ServerPort = -1;
    WatchDog = kMinute;
    LastWDog = 0.0;
    ExpWatchDog = kMinute;
    ExpNextWDog = 0.0;
    Packets = 0;
    RPackets = 0;
    LastPacket = 0.0;
    LastRPacket = 0.0;
    LastConnection = now;
    MemberExpire = -1.0;
    Mode = 0;
    Created = now;
    MapTo = -1;
    TimeOut = 0;
    Buffer.clear();
    BufferMax = 10;
    OPackets = 0;
    LastOPacket = 0.0;
    RemoteBuffer = 100;
    BadChecks = 0;
    BufferClear();
}

bool CommMemberType::BufferAdd(const CommType& packet) {
    const auto count = fifo_.size();
    const bool room = static_cast<long>(count) < BufferMax;
    if (!room && (BufferMax >= 1 || count >= static_cast<std::size_t>(kUnboundedLimit))) fifo_.pop_front();
    fifo_.push_back(packet);
    return room;
}

bool CommMemberType::BufferRetrieve(const CommType*& packet) const {
    if (fifo_.empty()) return false;
    packet = &fifo_.front();
    return true;
}

bool CommMemberType::BufferDelete(CommType* removed) {
    if (fifo_.empty()) return false;
    if (removed) *removed = std::move(fifo_.front());
    fifo_.pop_front();
    return true;
}

bool CommMemberType::Copy(CommMemberType& target) const {
    if (&target == this) return true;
    std::deque<CommType> keep;
    keep.swap(target.fifo_);
    target = *this;
    target.fifo_.swap(keep);
    return true;
}

bool CommMemberType::CreatePacket(std::string& text) const {
    std::string body;
    bool ok = true;
    AppendNumber(body, State);
    AppendNumber(body, SystemState);
    ok = AppendCounted(body, SystemStateDES) && ok;
    AppendFixed3(body, Identifier);
    ok = AppendCounted(body, Description) && ok;
    ok = AppendCounted(body, Address) && ok;
    AppendNumber(body, Port);
    AppendNumber(body, Socket);
    ok = AppendCounted(body, ServerAddress) && ok;
    AppendNumber(body, ServerPort);
    AppendNumber(body, BufferMax);
    AppendNumber(body, RemoteBuffer);
    AppendDate(body, WatchDog);
    AppendDate(body, LastWDog);
    AppendDate(body, ExpWatchDog);
    AppendDate(body, ExpNextWDog);
    AppendNumber(body, Packets);
    AppendNumber(body, RPackets);
    AppendNumber(body, OPackets);
    AppendDate(body, LastPacket);
    AppendDate(body, LastRPacket);
    AppendDate(body, LastOPacket);
    AppendDate(body, LastConnection);
    AppendDate(body, MemberExpire);
    AppendNumber(body, Mode);
    AppendDate(body, Created);
    AppendNumber(body, MapTo);
    AppendNumber(body, TimeOut);
    ok = AppendCounted(body, Buffer) && ok;
    if (!ok) return false;
    text = "0000" + text + body;
    return true;
}

bool CommMemberType::ExtractPacket(const std::string& packet) {
    Clear();
    std::string_view text(packet);
    if (text.size() > kMaxPacketLength) text = text.substr(0, kMaxPacketLength);
    // The member check routine always yields 0, so the check digits must read as 0.
    if (text.size() < 4 || text.substr(0, 4) != "0000") return false;
    FieldReader r(text);
    r.Number(State);
    r.Number(SystemState);
    r.Counted(SystemStateDES);
    r.Fixed3(Identifier);
    r.Counted(Description);
    r.Counted(Address);
    r.Number(Port);
    r.Number(Socket);
    r.Counted(ServerAddress);
    r.Number(ServerPort);
    r.Number(BufferMax);
    r.Number(RemoteBuffer);
    r.Date(WatchDog);
    r.Date(LastWDog);
    r.Date(ExpWatchDog);
    r.Date(ExpNextWDog);
    r.Number(Packets);
    r.Number(RPackets);
    r.Number(OPackets);
    r.Date(LastPacket);
    r.Date(LastRPacket);
    r.Date(LastOPacket);
    r.Date(LastConnection);
    r.Date(MemberExpire);
    r.Number(Mode);
    r.Date(Created);
    r.Number(MapTo);
    r.Number(TimeOut);
    r.Counted(Buffer);
    return r.Ok();
}

} // namespace zeva
