#pragma once
#include <memory>

#include "core/cpu_features.h"
#include "core/dest_state.h"
#include "core/zone.h"

namespace wendral {

// Implode and explode's re-rendering of the ellipse inscribed in the zone from RestoreStore at
// ImplodeLevel (explode +1, implode -1 per press). At level 0 the ellipse is copied back from
// RestoreStore unchanged, so a press and its opposite give back the base picture exactly.
// What a press can reuse from the one before (the zone's geometry, the factors of the level)
// is kept in a cache allocated once with this object.
//
// A zone left over from a larger picture keeps its geometry; only its pixels inside the current
// picture are read or written.
class RadialRenderer {
  public:
    // Runs the widest loops `set` allows (all give the same bytes; the tests compare them).
    explicit RadialRenderer(InstructionSet set = ProcessorInstructionSet());
    ~RadialRenderer();

    void Render(WendralState& state, const Zone& zone, int level);

  private:
    class Cache;
    std::unique_ptr<Cache> cache_;
};

}  // namespace wendral
