#pragma once
// The renderer's members, for the files that define an operation's Cache: they are
// instantiated there, where the Cache is complete, and nowhere else.
#include "core/ellipse_renderer.h"

namespace wendral {

template <class Operation>
EllipseRenderer<Operation>::EllipseRenderer(InstructionSet set)
    : cache_(std::make_unique<Cache>(set)) {}

template <class Operation>
EllipseRenderer<Operation>::~EllipseRenderer() = default;

template <class Operation>
void EllipseRenderer<Operation>::Render(WendralState& state, const Zone& zone, int level) {
    const InscribedEllipse e = MakeInscribedEllipse(zone, state.DestWidth, state.DestHeight);
    if (e.Empty()) return;
    // Presses in the same zone share the geometry; a new zone or picture size works it anew.
    if (!prepared_ || !prepared_->SameWork(e)) {
        prepared_.reset();
        cache_->Prepare(e);
        prepared_ = e;
    }
    cache_->Render(state, level);
}

}  // namespace wendral
