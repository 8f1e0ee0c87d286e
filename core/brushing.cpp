#include "core/brushing.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace wendral {

namespace {

int Saturate(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

int Span(int a, int b) {
    return Saturate(std::llabs(std::int64_t{b} - a));
}

}  // namespace

BrushingStart StartBrushing(WendralState& state, Zone& zone, ClientArea client) {
    BrushingStart start;
    if (state.DestWidth == 0 || state.DestHeight == 0 || state.SourceCount <= 0) {
        state.BrushingEnabled = 0;
        return start;
    }
    if (zone.x1 == zone.x2 || zone.y1 == zone.y2) {
        start.outcome = ZoneOutcome::AskZoneQuestion;
        return start;
    }
    state.BrushingEnabled = 1;
    Point centre{Saturate((std::int64_t{zone.xmin()} + zone.xmax()) >> 1),
                 Saturate((std::int64_t{zone.ymin()} + zone.ymax()) >> 1)};
    start.outline = PlaceBrush(state, zone, centre, client);
    return start;
}

void StopBrushing(WendralState& state, Zone& zone) {
    state.BrushingEnabled = 0;
    zone.x2 = zone.x1;
    zone.y2 = zone.y1;
}

std::optional<BrushOutline> PlaceBrush(const WendralState& state, Zone& zone, Point& at,
                                       ClientArea client) {
    if (!state.PicturePresent()) return std::nullopt;
    zone.BrushWidth = Span(zone.x1, zone.x2);
    zone.BrushHeight = Span(zone.y1, zone.y2);
    const std::int64_t hw = zone.BrushWidth / 2, hh = zone.BrushHeight / 2;
    std::int64_t px = at.x, py = at.y;
    // In this order: a brush larger than the picture ends up hanging over its top left, and
    // Paint cuts it to the picture.
    if (client.bottom < py + hh) py = client.bottom - hh - 1;
    if (client.right < px + hw) px = client.right - hw - 1;
    if (py < hh) py = hh;
    if (px < hw) px = hw;
    if (px + hw >= state.DestWidth) px = state.DestWidth - hw - 1;
    if (py + hh >= state.DestHeight) py = state.DestHeight - hh - 1;
    at = Point{Saturate(px), Saturate(py)};
    return BrushOutline{Saturate(px - hw), Saturate(py - hh), Saturate(px + hw), Saturate(py + hh)};
}

void Paint(WendralState& state, const Zone& zone, Point at, const SourceImage* source) {
    if (source == nullptr || source->pixels == nullptr) return;
    state.DestModified = 1;
    const std::int64_t bw = zone.BrushWidth, bh = zone.BrushHeight;
    if (bw <= 0 || bh <= 0) return;
    const std::int64_t hw = bw / 2, hh = bh / 2;
    const double k = static_cast<double>(bh) / static_cast<double>(bw);
    const double height = static_cast<double>(bh);
    auto inside = [&](std::int64_t adx, double dy) {
        const double t = static_cast<double>(adx) * k;
        const double r = std::sqrt(t * t + dy * dy);
        return !(height - 2 * r < 0);
    };
    const std::int64_t px = at.x, py = at.y;
    const std::int64_t top = std::max<std::int64_t>(py - hh, 0);
    const std::int64_t bottom = std::min<std::int64_t>({py + hh, state.DestHeight, kMaxHeight});
    const std::int64_t left = std::max<std::int64_t>(px - hw, 0);
    const std::int64_t right = std::min<std::int64_t>({px + hw, state.DestWidth, kMaxWidth});
    for (std::int64_t i = top; i < bottom; ++i) {
        const double dy = static_cast<double>(i - py);
        if (!inside(0, dy)) continue;
        // The ellipse's row is every column within some distance of the centre: bisect for it.
        std::int64_t in = 0, out = hw + 1;
        while (out - in > 1) {
            const std::int64_t mid = in + (out - in) / 2;
            if (inside(mid, dy))
                in = mid;
            else
                out = mid;
        }
        const std::int64_t ja = std::max(left, px - in);
        const std::int64_t jb = std::min(right, px + in + 1);
        if (ja >= jb) continue;
        const int y = static_cast<int>(i);
        std::memcpy(state.DestinationStore() + state.DestOffset(static_cast<int>(ja), y),
                    source->At(static_cast<int>(ja), y), 3 * static_cast<std::size_t>(jb - ja));
    }
}

Messages BrushStroke::Press(const WendralState& state, unsigned button) {
    Messages messages;
    if (!state.BrushingEnabled || (button != kLeftButton && button != kRightButton))
        return messages;
    held_ = true;
    if (button == kRightButton && state.SourceCount < 2) messages.emplace_back(kNoSource2Message);
    return messages;
}

std::optional<BrushOutline> BrushStroke::Move(WendralState& state, Zone& zone, Point& pointer,
                                              unsigned buttons, const SourceImage* source1,
                                              const SourceImage* source2, ClientArea client) {
    if (!held_) return std::nullopt;
    std::optional<BrushOutline> outline = PlaceBrush(state, zone, pointer, client);
    if (!outline) return outline;
    if (buttons == kLeftButton)
        Paint(state, zone, pointer, source1);
    else if (buttons == kRightButton && state.SourceCount > 1)
        Paint(state, zone, pointer, source2);
    return outline;
}

void BrushStroke::Release(Zone& zone, unsigned button) {
    held_ = false;
    if (button == kRightButton) zone.ResetLevels();
}

Messages BrushAlong(WendralState& state, Zone& zone, int source, const std::vector<Point>& points,
                    const SourceImage* source1, const SourceImage* source2,
                    std::optional<ClientArea> client) {
    if (points.empty() || (source != 1 && source != 2)) return {};
    const unsigned button = source == 1 ? kLeftButton : kRightButton;
    BrushStroke stroke;
    Messages messages = stroke.Press(state, button);
    for (std::size_t i = 1; i < points.size(); ++i) {
        Point p = points[i];
        stroke.Move(state, zone, p, button, source1, source2, client.value_or(PictureArea(state)));
    }
    stroke.Release(zone, button);
    return messages;
}

}  // namespace wendral
