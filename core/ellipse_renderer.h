#pragma once
#include <cstddef>
#include <memory>
#include <optional>

#include "core/cpu_features.h"
#include "core/dest_state.h"
#include "core/inscribed_ellipse.h"
#include "core/zone.h"

namespace wendral {

// What every operation's cache starts from: the loops the processor allows, the ellipse worked
// on, its cells, and each cell's distance in from the rim as a share of H (0 on the rim, 1 at
// the centre), by which every operation scales its effect.
class EllipseWork {
  protected:
    explicit EllipseWork(InstructionSet set) : set_(InstructionSetUpTo(set)) {}

    // Takes `e` as the ellipse worked on and gives share(i, t) for each cell i.
    template <class Share>
    void TakeEllipse(const InscribedEllipse& e, Share&& share) {
        e_ = e;
        cells_ = MakeQuadrantCells(e);
        const std::size_t n = cells_.Count();
        for (std::size_t i = 0; i < n; ++i) share(i, e.Margin(cells_.Adx(i), cells_.Ady(i)) / e.H);
    }

    InstructionSet set_;
    InscribedEllipse e_;
    QuadrantCells cells_;
};

// A press's re-rendering of the ellipse inscribed in the zone from RestoreStore at a level.
// What a press can reuse from the one before (the zone's geometry, the factors of the level)
// is kept in a cache allocated once with this object. Each operation defines its Cache in its
// own file, with the members of core/ellipse_renderer_members.h, and instantiates the renderer
// there: the cache's own functions keep internal linkage, so the compiler treats them as that
// file's alone when it inlines.
//
// A zone left over from a larger picture keeps its geometry; only its pixels inside the current
// picture are read or written.
template <class Operation>
class EllipseRenderer {
  public:
    // Runs the widest loops `set` allows (all give the same bytes; the tests compare them).
    explicit EllipseRenderer(InstructionSet set = ProcessorInstructionSet());
    ~EllipseRenderer();

    void Render(WendralState& state, const Zone& zone, int level);

  private:
    class Cache;
    std::unique_ptr<Cache> cache_;
    std::optional<InscribedEllipse> prepared_;  // the ellipse the cache holds the work of
};

// Implode and explode: the ellipse at ImplodeLevel (explode +1, implode -1 per press). At level
// 0 it is copied back from RestoreStore unchanged, so a press and its opposite give back the
// base picture exactly. Defined in core/radial_distort.cpp.
struct RadialDistortion;
using RadialRenderer = EllipseRenderer<RadialDistortion>;

// Converge and diverge: the ellipse at ColourLevel (converge +1, diverge -1 per press), each
// channel pulled towards (or pushed away from) ReferenceColour, most at the centre and not at
// all on the rim. Defined in core/colour_pull.cpp.
struct ColourPull;
using PullRenderer = EllipseRenderer<ColourPull>;

}  // namespace wendral
