#pragma once
#include <memory>

#include "core/cpu_features.h"
#include "core/dest_state.h"
#include "core/zone.h"

namespace wendral {

// Converge and diverge's recomputation of the ellipse inscribed in the zone from RestoreStore
// at ColourLevel (converge +1, diverge -1 per press), pulling each channel towards (or pushing
// it away from) ReferenceColour, most at the centre and not at all on the rim. The zone's
// fall-off is kept in a cache allocated once with this object.
//
// A zone left over from a larger picture keeps its geometry; only its pixels inside the current
// picture are read or written.
class PullRenderer {
  public:
    // Runs the widest loops `set` allows (all give the same bytes; the tests compare them).
    explicit PullRenderer(InstructionSet set = ProcessorInstructionSet());
    ~PullRenderer();

    void Render(WendralState& state, const Zone& zone, int level);

  private:
    class Cache;
    std::unique_ptr<Cache> cache_;
};

}  // namespace wendral
