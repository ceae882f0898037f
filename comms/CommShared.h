#pragma once
// The hub link's shared names in one include: the packet codec (the packet text form, its writer
// and reader, the control codes) and the framing scans that find packet ends in received bytes.
// Code outside comms/ includes this; inside comms/ each file includes the header it uses.
#include "comms/PacketCodec.h"
#include "comms/PacketFastPaths.h"
