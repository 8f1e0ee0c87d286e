#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>

#include "core/large_buffer.h"
#include "core/limits.h"
#include "core/parallel.h"
#include "core/pixel.h"
#include "core/random15.h"

namespace wendral {

class SourceView;

// The plain fields of the destination: undo gives them back with the stores' bytes, so they
// are kept apart from what belongs to the sources and the session.
struct DestinationSettings {
    int DestWidth = 0;
    int DestHeight = 0;
    int DestModified = 0;
    int DestLocked = 0;
    int BrushingEnabled = 0;
    Bgr ReferenceColour{127, 127, 127};
    // Merge settings shared by the merge dialog, the merges and the source views.
    unsigned MergeMode = 1;
    int MergeBias = 127;
    int ContrastThreshold = 127;
    friend bool operator==(const DestinationSettings&, const DestinationSettings&) = default;
};

// The state that travels with the destination picture, shared by every command. The
// application owns one; tests and wendral-batch make their own.
class WendralState : public DestinationSettings {
  public:
    WendralState();
    WendralState(const WendralState&) = delete;
    WendralState& operator=(const WendralState&) = delete;
    // Two states differ in their stores and sources too, not only in the settings they share.
    friend bool operator==(const WendralState&, const WendralState&) = delete;

    // Both stores hold DestWidth x DestHeight pixels, rows bottom-up, stride 3 x DestWidth.
    std::uint8_t* DestinationStore() { return destination_.get(); }
    const std::uint8_t* DestinationStore() const { return destination_.get(); }
    std::uint8_t* RestoreStore() { return restore_.get(); }
    const std::uint8_t* RestoreStore() const { return restore_.get(); }

    // Byte offset of pixel (x, y), y counted from the top of the picture.
    std::size_t DestOffset(int x, int y) const {
        return 3 *
               (static_cast<std::size_t>(DestHeight - 1 - y) * static_cast<std::size_t>(DestWidth) +
                static_cast<std::size_t>(x));
    }
    std::size_t DestBytes() const {
        return 3 * static_cast<std::size_t>(DestWidth) * static_cast<std::size_t>(DestHeight);
    }
    bool PicturePresent() const { return DestWidth != 0 && DestHeight != 0; }
    Bgr DestPixel(int x, int y) const;

    void SnapshotDestination();
    // SnapshotDestination for an operation that reads each row of the snapshot right after it
    // is taken: row(r) runs just after store row r is copied, while it is still in the cache,
    // in bands of rows on the pool.
    template <class Row>
    void SnapshotDestinationThen(Row&& row);
    // The same for an operation that copies each row into RestoreStore itself, as it reads it.
    template <class Row>
    void SnapshotDestinationWhile(Row&& row);
    void RevertDestination();
    // Whether rebuilding the destination from the sources now would lose changes of its own:
    // it has some, the user has not agreed to lose them, and the lock does not keep them.
    bool ChangesAtRisk() const {
        return DestModified != 0 && OverwriteConsent != 1 && DestLocked != 1;
    }
    void MarkDestModified() {
        DestModified = 1;
        BrushingEnabled = 0;
    }
    // The size rule: the destination takes the smaller of the grid and what the sources show,
    // its width rounded so that packed rows are also 4-byte aligned bitmap rows.
    void TakeDestinationSize(int shownWidth, int shownHeight);

    int SourceCount = 0;
    SourceView* SourceViews[3] = {nullptr, nullptr, nullptr};  // entries 1 and 2 used
    int OverwriteConsent = 0;
    int PendingSourceChange = 0;  // source number x 256 + change code; 0 = none
    Point CursorSample{0, 0};

    Random15 Random;

    // Told now and then how far a long operation has got, from 0 to 1, so that the application
    // can show it while it waits; empty when nobody listens. No result depends on it.
    std::function<void(double)> Progress;

    // Counts SnapshotDestination calls, the only writer of RestoreStore: the undo history
    // compares RestoreStore only when this has moved.
    std::uint64_t SnapshotCount = 0;

  private:
    LargeBuffer destination_;
    LargeBuffer restore_;
};

// DestWidth for a shown width w (already cut to the grid): w + 1 rounded down to a multiple of 4.
inline int DestinationWidthFor(int w) {
    return (w + 1) & ~3;
}

template <class Row>
void WendralState::SnapshotDestinationWhile(Row&& row) {
    ++SnapshotCount;
    ForEachRowBand(DestHeight, DestWidth, [&](int first, int end) {
        for (int r = first; r < end; ++r) row(r);
    });
}

template <class Row>
void WendralState::SnapshotDestinationThen(Row&& row) {
    const std::size_t stride = 3 * static_cast<std::size_t>(DestWidth);
    SnapshotDestinationWhile([&](int r) {
        std::memcpy(restore_.get() + r * stride, destination_.get() + r * stride, stride);
        row(r);
    });
}

}  // namespace wendral
