#pragma once
#include "comms/CommType.h"

namespace zeva {

// What record intake asks of the hub connection: the synchronous request, reading the socket's
// read-ahead, and holding back reading while the records waiting are many.
class HubLink {
  public:
    virtual ~HubLink() = default;
    virtual bool Request(CommType& packet) = 0;
    virtual void SetRequest(CommType& packet, bool flag) = 0;
    virtual void GetNextPktBuffer() = 0;
    // Stops (true) or resumes (false) reading from the hub; resuming reads what waits at once.
    virtual void PauseReceive(bool paused) = 0;
};

} // namespace zeva
