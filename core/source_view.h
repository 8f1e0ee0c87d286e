#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "core/large_buffer.h"
#include "core/limits.h"
#include "core/source_document.h"
#include "core/source_image.h"

namespace wendral {

// Scrolling coordinates of a source window. A scale may be any positive int (scale to fit sets
// whatever the window needs), so the scaled picture and the scroll area can exceed int; they are
// kept in 64 bits, where every product the rendering forms still fits.
struct ScrollPoint {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend bool operator==(const ScrollPoint&, const ScrollPoint&) = default;
};

struct ClientSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const ClientSize&, const ClientSize&) = default;
};

// Window sizes beyond this are taken as this: no screen is larger, and it keeps the
// percentages of scale to fit within int.
inline constexpr int kMaxClientSide = 65535;

// The range of the scaling dialog's percentages.
inline constexpr int kMinScalePercent = 8;
inline constexpr int kMaxScalePercent = 600;

// The model of one source window: the picture it holds, how it is scaled and scrolled, and
// SourcePixels, exactly what its client area shows (the picture at its scale and scroll
// position, white around it, cut to the grid). The Qt view drives it and mirrors its scroll
// range; the destination is built from SourcePixels.
class SourceView {
  public:
    SourceView();
    SourceView(const SourceView&) = delete;
    SourceView& operator=(const SourceView&) = delete;

    SourceDocument Document;
    std::string Title;  // the window caption

    int WidthScale = 100;
    int HeightScale = 100;
    int SourceNumber = 0;  // 1 or 2 once attached; 0 for a view that is no source

    int SourceShownWidth = 0;
    int SourceShownHeight = 0;
    ScrollPoint PictureOrigin;
    ScrollPoint LastScrollPosition;
    ClientSize LastClientSize;

    // The window's client size as the platform reports it (clamped to kMaxClientSide). Setting
    // it lays nothing out; a resize is SetClientSize followed by LayoutSourceView(true).
    void SetClientSize(int cx, int cy);
    ClientSize Client() const { return client_; }

    // The scroll area as the last layout set it, and the steps the scroll bars use.
    ScrollPoint ScrollArea() const { return area_; }
    ScrollPoint PageStep() const { return ScrollPoint{area_.x / 10, area_.y / 10}; }
    ScrollPoint LineStep() const { return ScrollPoint{area_.x / 100, area_.y / 100}; }

    ScrollPoint ScrollPosition() const { return scroll_; }
    // The largest scroll position: the scroll area less the client area.
    ScrollPoint ScrollRange() const;
    // Scrolls as the platform's scrolling view does: the position is kept within 0 and the range.
    void ScrollTo(std::int64_t x, std::int64_t y);

    std::int64_t ScaledWidth() const;
    std::int64_t ScaledHeight() const;

    void LayoutSourceView(bool keep);
    void RenderSourceView();
    // How many times SourcePixels has been rendered: a window showing them can tell whether
    // anything new is there to show.
    std::uint64_t RenderCount() const { return renders_; }

    // Sets both scales; a scale below 1 would divide by zero in the rendering, so such a pair
    // is refused and nothing changes. Returns whether the scales were taken.
    bool SetScales(int widthPercent, int heightPercent);
    // The scales that make the picture fill the client area. A picture without width or height,
    // or percentages that come out 0, leave the scales as they are (returns false).
    bool FitScales();

    std::uint8_t* SourcePixels() { return pixels_.get(); }
    const std::uint8_t* SourcePixels() const { return pixels_.get(); }
    SourceImage Image() const {
        return SourceImage{pixels_.get(), SourceShownWidth, SourceShownHeight};
    }

  private:
    LargeBuffer pixels_;
    std::unique_ptr<std::size_t[]> columnOffsets_;  // per client column, for the rendering
    ClientSize client_;
    ScrollPoint scroll_;
    ScrollPoint area_;
    bool laidOut_ = false;
    std::uint64_t renders_ = 0;
};

// Where the rendering finds a 24-bit packet's rows; valid only when every row the header
// promises lies inside the block. Packets of another depth, or that promise more bytes than
// they hold, render as no picture.
struct PacketRows {
    const std::uint8_t* bits = nullptr;  // first stored row (the bottom one)
    std::size_t stride = 0;
    int width = 0;
    int height = 0;
    bool valid = false;
};
PacketRows Rows24(const PicturePacket& packet);

}  // namespace wendral
