#include "core/history.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <new>

#include "core/limits.h"
#include "core/parallel.h"

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

namespace {

// Bytes that are not zeroed when made and that shrink where they lie: a step's copy is written
// as its runs are found, into room for the most it could hold, and gives back what it did not
// use without moving.
class StepBytes {
  public:
    StepBytes() = default;
    explicit StepBytes(std::size_t size)
        : bytes_(static_cast<std::uint8_t*>(std::malloc(std::max<std::size_t>(size, 1)))),
          size_(size) {
        if (!bytes_) throw std::bad_alloc();
    }
    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    void Shrink(std::size_t size) {
        if (size >= size_) return;
        if (void* smaller = std::realloc(bytes_.get(), std::max<std::size_t>(size, 1))) {
            bytes_.release();
            bytes_.reset(static_cast<std::uint8_t*>(smaller));
        }
        size_ = size;
    }

  private:
    struct Free {
        void operator()(std::uint8_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint8_t, Free> bytes_;
    std::size_t size_ = 0;
};

}  // namespace

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
    StepBytes data;  // every run's bytes in turn; deflated when that is smaller
    std::size_t rawSize = 0;
    bool deflated = false;
    // The deflated bytes while they are being made.
    std::future<StepBytes> packing;

    // Large steps are deflated on a thread of their own; a press in a zone is kept as it is.
    void Pack() {
        if (rawSize < kPackFrom) return;
        const std::uint8_t* raw = data.data();
        const std::size_t size = rawSize;
        packing = std::async(std::launch::async, [raw, size] {
            uLongf packed = compressBound(static_cast<uLong>(size));
            StepBytes out(packed);
            if (compress2(out.data(), &packed, raw, static_cast<uLong>(size), 1) != Z_OK)
                return StepBytes();
            out.Shrink(packed);
            return out;
        });
    }
    // Takes the deflated bytes once the packing thread is done (waiting for it when `wait`).
    void Settle(bool wait) {
        if (!packing.valid()) return;
        if (!wait && packing.wait_for(std::chrono::seconds(0)) != std::future_status::ready) return;
        StepBytes packed = packing.get();
        if (packed.size() != 0 && packed.size() < data.size()) {
            data = std::move(packed);
            deflated = true;
        }
    }
    // The bytes as they are, inflated.
    void Unpack() {
        Settle(true);
        if (!deflated) return;
        StepBytes raw(rawSize);
        uLongf size = static_cast<uLongf>(raw.size());
        uncompress(raw.data(), &size, data.data(), static_cast<uLong>(data.size()));
        data = std::move(raw);
        deflated = false;
    }
    std::size_t Bytes() const {
        return sizeof(Step) + name.size() + runs.size() * sizeof(Run) + data.size();
    }

    static constexpr std::size_t kPackFrom = std::size_t{2} << 20;
};

namespace {

using Run = History::Step::Run;

// Runs shorter than this are found by comparing blocks of this size; a run is a whole number of
// blocks, except at the end of a span.
constexpr std::size_t kBlock = 64;
// Most of a store is unchanged after a press: whole pages are compared first.
constexpr std::size_t kPage = 4096;
// Below this many bytes a commit compares on the caller's thread: a press's zone is copied in
// less time than other threads take to wake, and on a busy machine they may wake much later.
constexpr std::size_t kBandsFrom = std::size_t{4} << 20;
// A whole store is compared in spans of this many bytes, shared among the threads like rows.
constexpr std::size_t kStoreSpan = std::size_t{3} * kMaxWidth;

void AddRun(std::vector<Run>& runs, const Run& run) {
    if (!runs.empty() && runs.back().store == run.store &&
        runs.back().offset + runs.back().length == run.offset) {
        runs.back().length += run.length;
    } else {
        runs.push_back(run);
    }
}

// Bytes of one store to compare with its copy at the last commit.
struct Span {
    int store;
    std::size_t offset;
    std::size_t length;
};

// The stores now and as they were at the last commit.
struct Stores {
    const std::uint8_t* now[2];
    std::uint8_t* then[2];
};

// Finds the runs of `span` that changed and, while they are in the cache, keeps their old bytes
// at `out` and brings the copy up to date: one pass over what changed. Returns the bytes kept.
std::size_t TakeChanges(const Span& span, const Stores& stores, std::uint8_t* out,
                        std::vector<Run>& runs) {
    const std::uint8_t* now = stores.now[span.store] + span.offset;
    std::uint8_t* then = stores.then[span.store] + span.offset;
    std::size_t kept = 0;
    const auto take = [&](std::size_t from, std::size_t to) {
        std::memcpy(out + kept, then + from, to - from);
        std::memcpy(then + from, now + from, to - from);
        kept += to - from;
        AddRun(runs, Run{span.store, span.offset + from, to - from});
    };
    for (std::size_t page = 0; page < span.length; page += kPage) {
        const std::size_t pageEnd = std::min(span.length, page + kPage);
        if (std::memcmp(then + page, now + page, pageEnd - page) == 0) continue;
        std::size_t runStart = pageEnd;  // none open
        for (std::size_t b = page; b < pageEnd; b += kBlock) {
            const std::size_t n = std::min(kBlock, pageEnd - b);
            if (std::memcmp(then + b, now + b, n) != 0) {
                if (runStart == pageEnd) runStart = b;
            } else if (runStart != pageEnd) {
                take(runStart, b);
                runStart = pageEnd;
            }
        }
        if (runStart != pageEnd) take(runStart, pageEnd);
    }
    return kept;
}

// What one band of spans found: its runs, and its bytes at the band's own place in the step.
struct BandChanges {
    std::size_t end = 0;  // the span after the band's last
    std::size_t kept = 0;
    std::vector<Run> runs;
};

// Compares `spans` (in the order of their offsets, store by store) with the copy of the last
// commit, on the thread pool when they are many, and gives the step their changed runs and old
// bytes. Each band writes at the place its spans would take if every byte had changed; the bands'
// bytes are then closed up, which moves nothing when everything changed.
void TakeAllChanges(const std::vector<Span>& spans, const Stores& stores, History::Step& step) {
    std::vector<std::size_t> room(spans.size() + 1, 0);
    for (std::size_t i = 0; i < spans.size(); ++i) room[i + 1] = room[i] + spans[i].length;
    if (room.back() == 0) return;
    StepBytes bytes(room.back());
    std::vector<BandChanges> bands(spans.size());
    const int widest = static_cast<int>(
        std::max_element(spans.begin(), spans.end(),
                         [](const Span& a, const Span& b) { return a.length < b.length; })
            ->length /
        3);
    const auto takeBand = [&](int first, int end) {
        BandChanges& band = bands[static_cast<std::size_t>(first)];
        band.end = static_cast<std::size_t>(end);
        for (int i = first; i < end; ++i)
            band.kept += TakeChanges(
                spans[static_cast<std::size_t>(i)], stores,
                bytes.data() + room[static_cast<std::size_t>(first)] + band.kept, band.runs);
    };
    if (room.back() < kBandsFrom) {
        takeBand(0, static_cast<int>(spans.size()));
    } else {
        ForEachRowBand(static_cast<int>(spans.size()), widest, takeBand);
    }
    std::size_t kept = 0;
    for (std::size_t first = 0; first < spans.size(); first = bands[first].end) {
        const BandChanges& band = bands[first];
        if (band.kept != 0 && room[first] != kept)
            std::memmove(bytes.data() + kept, bytes.data() + room[first], band.kept);
        kept += band.kept;
        for (const Run& r : band.runs) AddRun(step.runs, r);
    }
    bytes.Shrink(kept);
    step.data = std::move(bytes);
    step.rawSize = kept;
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
    std::vector<Span> spans;
    const auto wholeStore = [&](int store) {
        for (std::size_t at = 0; at < length; at += kStoreSpan)
            spans.push_back(Span{store, at, std::min(kStoreSpan, length - at)});
    };
    if (part && state.DestBytes() == destinationBytes_) {
        const int x0 = std::max(0, part->x), x1 = std::min(state.DestWidth, part->x + part->width);
        const int y0 = std::max(0, part->y),
                  y1 = std::min(state.DestHeight, part->y + part->height);
        // Rows are kept bottom-up: the part's last row comes first, so runs come in order.
        for (int y = y1 - 1; y >= y0 && x0 < x1; --y)
            spans.push_back(Span{0, state.DestOffset(x0, y), 3 * std::size_t(x1 - x0)});
    } else {
        wholeStore(0);
    }
    if (state.SnapshotCount != snapshots_) wholeStore(1);
    snapshots_ = state.SnapshotCount;

    auto step = std::make_unique<Step>();
    const Stores stores{{state.DestinationStore(), state.RestoreStore()},
                        {destination_.data(), restore_.data()}};
    TakeAllChanges(spans, stores, *step);
    destinationBytes_ = state.DestBytes();
    if (step->runs.empty() && now == fields_) return false;

    step->name = std::move(name);
    step->before = fields_;
    step->after = now;
    step->Pack();
    fields_ = now;

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
