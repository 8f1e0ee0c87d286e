#include "core/history.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <future>

namespace wendral {

DestinationFields DestinationFields::Of(const WendralState& s, const Zone& zone) {
    return DestinationFields{
        s.DestWidth,       s.DestHeight, s.DestModified, s.DestLocked,        s.BrushingEnabled,
        s.ReferenceColour, s.MergeMode,  s.MergeBias,    s.ContrastThreshold, zone};
}

void DestinationFields::ApplyTo(WendralState& s, Zone& z) const {
    s.DestWidth = DestWidth;
    s.DestHeight = DestHeight;
    s.DestModified = DestModified;
    s.DestLocked = DestLocked;
    s.BrushingEnabled = BrushingEnabled;
    s.ReferenceColour = ReferenceColour;
    s.MergeMode = MergeMode;
    s.MergeBias = MergeBias;
    s.ContrastThreshold = ContrastThreshold;
    z = zone;
}

bool operator==(const DestinationFields& a, const DestinationFields& b) {
    return a.DestWidth == b.DestWidth && a.DestHeight == b.DestHeight &&
           a.DestModified == b.DestModified && a.DestLocked == b.DestLocked &&
           a.BrushingEnabled == b.BrushingEnabled && a.ReferenceColour == b.ReferenceColour &&
           a.MergeMode == b.MergeMode && a.MergeBias == b.MergeBias &&
           a.ContrastThreshold == b.ContrastThreshold && a.zone == b.zone;
}

// The byte runs one step changed, and their bytes on the other side of the step: before it
// while it can be undone, after it once undone. Undo and redo swap them with the stores, so a
// step holds one copy of what it changed.
struct History::Step {
    struct Run {
        int store;  // 0 DestinationStore, 1 RestoreStore
        std::size_t offset;
        std::size_t length;
    };
    std::string name;
    DestinationFields before, after;
    std::vector<Run> runs;
    std::vector<std::uint8_t> data;  // every run's bytes in turn; deflated when that is smaller
    std::size_t rawSize = 0;
    bool deflated = false;
    // The deflated bytes while they are being made.
    std::future<std::vector<std::uint8_t>> packing;

    // Large steps are deflated on a thread of their own; a press in a zone is kept as it is.
    void Pack() {
        if (rawSize < kPackFrom) return;
        const std::uint8_t* raw = data.data();
        const std::size_t size = rawSize;
        packing = std::async(std::launch::async, [raw, size] {
            uLongf packed = compressBound(static_cast<uLong>(size));
            std::vector<std::uint8_t> out(packed);
            if (compress2(out.data(), &packed, raw, static_cast<uLong>(size), 1) != Z_OK)
                return std::vector<std::uint8_t>();
            out.resize(packed);
            out.shrink_to_fit();
            return out;
        });
    }
    // Takes the deflated bytes once the packing thread is done (waiting for it when `wait`).
    void Settle(bool wait) {
        if (!packing.valid()) return;
        if (!wait && packing.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
        std::vector<std::uint8_t> packed = packing.get();
        if (!packed.empty() && packed.size() < data.size()) {
            data = std::move(packed);
            deflated = true;
        }
    }
    // The bytes as they are, inflated.
    void Unpack() {
        Settle(true);
        if (!deflated) return;
        std::vector<std::uint8_t> raw(rawSize);
        uLongf size = static_cast<uLongf>(raw.size());
        uncompress(raw.data(), &size, data.data(), static_cast<uLong>(data.size()));
        data = std::move(raw);
        deflated = false;
    }
    std::size_t Bytes() const {
        return sizeof(Step) + name.size() + runs.size() * sizeof(Run) + data.capacity();
    }

    static constexpr std::size_t kPackFrom = std::size_t{2} << 20;
};

namespace {

// Runs shorter than this are found by comparing blocks of this size; a run is a whole number of
// blocks, except at the end of the range.
constexpr std::size_t kBlock = 64;
// Most of a store is unchanged after a press: whole pages are compared first.
constexpr std::size_t kPage = 4096;

void AddRun(std::vector<History::Step::Run>& runs, int store, std::size_t offset,
            std::size_t length) {
    if (!runs.empty() && runs.back().store == store &&
        runs.back().offset + runs.back().length == offset) {
        runs.back().length += length;
    } else {
        runs.push_back({store, offset, length});
    }
}

// The runs of [0, length) where `before` and `now` differ, at `base` in their store.
void FindRuns(int store, const std::uint8_t* before, const std::uint8_t* now, std::size_t length,
              std::size_t base, std::vector<History::Step::Run>& runs) {
    for (std::size_t page = 0; page < length; page += kPage) {
        const std::size_t pageEnd = std::min(length, page + kPage);
        if (std::memcmp(before + page, now + page, pageEnd - page) == 0) continue;
        for (std::size_t b = page; b < pageEnd; b += kBlock) {
            const std::size_t n = std::min(kBlock, pageEnd - b);
            if (std::memcmp(before + b, now + b, n) != 0) AddRun(runs, store, base + b, n);
        }
    }
}

}  // namespace

History::History(const WendralState& state, const Zone& zone, std::size_t budgetBytes)
    : destination_(state.DestinationStore(), state.DestinationStore() + kStoreBytes),
      restore_(state.RestoreStore(), state.RestoreStore() + kStoreBytes),
      destinationBytes_(state.DestBytes()),
      snapshots_(state.SnapshotCount),
      fields_(DestinationFields::Of(state, zone)),
      budget_(budgetBytes) {}

History::~History() = default;

const std::string& History::UndoName() const {
    static const std::string none;
    return undo_.empty() ? none : undo_.back()->name;
}

const std::string& History::RedoName() const {
    static const std::string none;
    return redo_.empty() ? none : redo_.back()->name;
}

std::size_t History::LastStepBytes() const {
    if (undo_.empty()) return 0;
    undo_.back()->Settle(true);
    return undo_.back()->Bytes();
}

bool History::Commit(const WendralState& state, const Zone& zone, std::string name,
                     std::optional<Part> part) {
    const DestinationFields now = DestinationFields::Of(state, zone);
    // Commands write inside the picture of the new size; what lay beyond the old one counts too.
    const std::size_t length = std::max(destinationBytes_, state.DestBytes());
    auto step = std::make_unique<Step>();
    if (part && state.DestBytes() == destinationBytes_) {
        const int x0 = std::max(0, part->x), x1 = std::min(state.DestWidth, part->x + part->width);
        const int y0 = std::max(0, part->y),
                  y1 = std::min(state.DestHeight, part->y + part->height);
        // Rows are kept bottom-up: compare from the last row of the part up, so runs come in order.
        for (int y = y1 - 1; y >= y0 && x0 < x1; --y) {
            const std::size_t at = state.DestOffset(x0, y);
            FindRuns(0, destination_.data() + at, state.DestinationStore() + at,
                     3 * std::size_t(x1 - x0), at, step->runs);
        }
    } else {
        FindRuns(0, destination_.data(), state.DestinationStore(), length, 0, step->runs);
    }
    if (state.SnapshotCount != snapshots_)
        FindRuns(1, restore_.data(), state.RestoreStore(), length, 0, step->runs);
    snapshots_ = state.SnapshotCount;
    if (step->runs.empty() && now == fields_) return false;

    step->name = std::move(name);
    step->before = fields_;
    step->after = now;
    for (const Step::Run& r : step->runs) step->rawSize += r.length;
    step->data.resize(step->rawSize);
    std::uint8_t* out = step->data.data();
    for (const Step::Run& r : step->runs) {
        std::memcpy(out, (r.store == 0 ? destination_ : restore_).data() + r.offset, r.length);
        out += r.length;
    }
    step->Pack();

    for (const Step::Run& r : step->runs)
        std::memcpy((r.store == 0 ? destination_ : restore_).data() + r.offset,
                    (r.store == 0 ? state.DestinationStore() : state.RestoreStore()) + r.offset,
                    r.length);
    fields_ = now;
    destinationBytes_ = state.DestBytes();

    redo_.clear();
    undo_.push_back(std::move(step));
    Trim();
    return true;
}

void History::Apply(Step& step, bool forward, WendralState& state, Zone& zone) {
    step.Unpack();
    std::uint8_t* bytes = step.data.data();
    for (const Step::Run& r : step.runs) {
        std::uint8_t* store =
            (r.store == 0 ? state.DestinationStore() : state.RestoreStore()) + r.offset;
        std::swap_ranges(store, store + r.length, bytes);
        std::memcpy((r.store == 0 ? destination_ : restore_).data() + r.offset, store, r.length);
        bytes += r.length;
    }
    step.Pack();
    Recount();
    fields_ = forward ? step.after : step.before;
    fields_.ApplyTo(state, zone);
    destinationBytes_ = state.DestBytes();
    snapshots_ = state.SnapshotCount;
}

bool History::Undo(WendralState& state, Zone& zone, const std::string& pendingName) {
    Commit(state, zone, pendingName);
    if (undo_.empty()) return false;
    std::unique_ptr<Step> step = std::move(undo_.back());
    undo_.pop_back();
    Apply(*step, false, state, zone);
    redo_.push_back(std::move(step));
    return true;
}

bool History::Redo(WendralState& state, Zone& zone, const std::string& pendingName) {
    // A change since the last undo is a new step, which drops what could be redone.
    Commit(state, zone, pendingName);
    if (redo_.empty()) return false;
    std::unique_ptr<Step> step = std::move(redo_.back());
    redo_.pop_back();
    Apply(*step, true, state, zone);
    undo_.push_back(std::move(step));
    return true;
}

void History::SetBudget(std::size_t budgetBytes) {
    budget_ = budgetBytes;
    Trim();
}

// Steps packed since the last count now count at their packed size.
void History::Recount() {
    bytes_ = 0;
    for (const auto* stack : {&undo_, &redo_})
        for (const auto& step : *stack) {
            step->Settle(false);
            bytes_ += step->Bytes();
        }
}

// The oldest steps go first; redo steps are newer than every undo step, so they go last.
void History::Trim() {
    Recount();
    while (bytes_ > budget_ && !undo_.empty()) {
        bytes_ -= undo_.front()->Bytes();
        undo_.pop_front();
    }
    while (bytes_ > budget_ && !redo_.empty()) {
        bytes_ -= redo_.front()->Bytes();
        redo_.pop_front();
    }
}

}  // namespace wendral
