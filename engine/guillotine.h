// Guillotine test: can a layout be cut by straight cuts that run from edge to
// edge of the piece of material being cut?
#pragma once

#include "engine/packet.h"

class TGuillotine {
  public:
    // Most distinct X (or Y) coordinates a layout may have, counting 0 and the
    // sheet's Length (Width).
    static constexpr int MaxCoords = 8193;

    // True when the layout can be cut by guillotine cuts. The layout is not
    // changed. The grid is sized to the layout and held per thread, so calls
    // from different threads do not interfere. Throws ERangeError when the
    // layout has more than MaxCoords distinct X or Y values.
    bool Check(const TPacket& Packet) const;
};

// The program's guillotine tester.
extern TGuillotine Guillotine;
