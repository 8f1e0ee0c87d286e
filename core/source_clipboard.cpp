#include "core/convert24.h"
#include "core/sources.h"

namespace wendral {

PicturePacket CopySource(const WendralState& state, int number) {
    if (number < 1 || number > state.SourceCount || number > 2 || !state.SourceViews[number])
        return {};
    return DuplicatePacket(state.SourceViews[number]->Document.packet);
}

SourceOutcome PasteSource(WendralState& state, Zone& zone, int number,
                          const PicturePacket& picture) {
    SourceOutcome out;
    SourceView* view = number >= 1 && number <= state.SourceCount && number <= 2
                           ? state.SourceViews[number]
                           : nullptr;
    if (!view || picture.empty()) {
        out.failed = true;
        return out;
    }
    view->Document.packet = DuplicatePacket(picture);
    const bool converted = ConvertTo24Bit(view->Document, out.messages);
    view->LayoutSourceView(false);
    RebuildDestination(state, zone, out);
    // The document's views update: the same layout again.
    view->LayoutSourceView(false);
    out.redrawSources = true;
    out.failed = !converted;
    return out;
}

}  // namespace wendral
