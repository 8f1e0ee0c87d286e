#include "core/history.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace wendral {

DestinationFields DestinationFields::Of(const WendralState& s, const Zone& zone) {
    return DestinationFields{s.DestWidth, s.DestHeight,    s.DestModified, s.DestLocked,        s.BrushingEnabled,
                             s.ReferenceColour, s.MergeMode, s.MergeBias, s.ContrastThreshold, zone};
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
    return a.DestWidth == b.DestWidth && a.DestHeight == b.DestHeight && a.DestModified == b.DestModified &&
           a.DestLocked == b.DestLocked && a.BrushingEnabled == b.BrushingEnabled &&
           a.ReferenceColour == b.ReferenceColour && a.MergeMode == b.MergeMode && a.MergeBias == b.MergeBias &&
           a.ContrastThreshold == b.ContrastThreshold && a.zone == b.zone;
}

// The byte runs one step changed, with their bytes before and after.
struct History::Step {
    struct Run {
        int store;  // 0 DestinationStore, 1 RestoreStore
        std::size_t offset;
        std::size_t length;
    };
    std::string name;
    DestinationFields before, after;
    std::vector<Run> runs;
    // Every run's bytes before, then every run's bytes after; deflated when that is smaller.
    std::vector<std::uint8_t> data;
    std::size_t rawSize = 0;
    bool deflated = false;

    std::size_t Bytes() const { return sizeof(Step) + name.size() + runs.size() * sizeof(Run) + data.size(); }
};

namespace {

// Runs shorter than this are found by comparing blocks of this size; a run is a whole number of
// blocks, except at the end of the range.
constexpr std::size_t kBlock = 64;
// Most of a store is unchanged after a press: whole pages are compared first.
constexpr std::size_t kPage = 4096;

void AddRun(std::vector<History::Step::Run>& runs, int store, std::size_t offset, std::size_t length) {
    if (!runs.empty() && runs.back().store == store && runs.back().offset + runs.back().length == offset) {
        runs.back().length += length;
    } else {
        runs.push_back({store, offset, length});
    }
}

// The runs of [0, length) where `before` and `now` differ.
void FindRuns(int store, const std::uint8_t* before, const std::uint8_t* now, std::size_t length,
              std::vector<History::Step::Run>& runs) {
    for (std::size_t page = 0; page < length; page += kPage) {
        const std::size_t pageEnd = std::min(length, page + kPage);
        if (std::memcmp(before + page, now + page, pageEnd - page) == 0) continue;
        for (std::size_t b = page; b < pageEnd; b += kBlock) {
            const std::size_t n = std::min(kBlock, pageEnd - b);
            if (std::memcmp(before + b, now + b, n) != 0) AddRun(runs, store, b, n);
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

std::size_t History::LastStepBytes() const { return undo_.empty() ? 0 : undo_.back()->Bytes(); }

bool History::Commit(const WendralState& state, const Zone& zone, std::string name) {
    const DestinationFields now = DestinationFields::Of(state, zone);
    // Commands write inside the picture of the new size; what lay beyond the old one counts too.
    const std::size_t length = std::max(destinationBytes_, state.DestBytes());
    auto step = std::make_unique<Step>();
    FindRuns(0, destination_.data(), state.DestinationStore(), length, step->runs);
    if (state.SnapshotCount != snapshots_) FindRuns(1, restore_.data(), state.RestoreStore(), length, step->runs);
    snapshots_ = state.SnapshotCount;
    if (step->runs.empty() && now == fields_) return false;

    step->name = std::move(name);
    step->before = fields_;
    step->after = now;
    for (const Step::Run& r : step->runs) step->rawSize += 2 * r.length;
    std::vector<std::uint8_t> raw(step->rawSize);
    std::uint8_t* out = raw.data();
    for (int pass = 0; pass < 2; ++pass)
        for (const Step::Run& r : step->runs) {
            const std::uint8_t* from = pass == 0 ? (r.store == 0 ? destination_ : restore_).data()
                                                 : (r.store == 0 ? state.DestinationStore() : state.RestoreStore());
            std::memcpy(out, from + r.offset, r.length);
            out += r.length;
        }
    uLongf packed = compressBound(static_cast<uLong>(raw.size()));
    step->data.resize(packed);
    if (!raw.empty() && compress2(step->data.data(), &packed, raw.data(), static_cast<uLong>(raw.size()), 1) == Z_OK &&
        packed < raw.size()) {
        step->data.resize(packed);
        step->deflated = true;
    } else {
        step->data = std::move(raw);
    }
    step->data.shrink_to_fit();

    for (const Step::Run& r : step->runs)
        std::memcpy((r.store == 0 ? destination_ : restore_).data() + r.offset,
                    (r.store == 0 ? state.DestinationStore() : state.RestoreStore()) + r.offset, r.length);
    fields_ = now;
    destinationBytes_ = state.DestBytes();

    for (const auto& s : redo_) bytes_ -= s->Bytes();
    redo_.clear();
    bytes_ += step->Bytes();
    undo_.push_back(std::move(step));
    Trim();
    return true;
}

void History::Apply(const Step& step, bool forward, WendralState& state, Zone& zone) {
    std::vector<std::uint8_t> raw;
    const std::uint8_t* bytes = step.data.data();
    if (step.deflated) {
        raw.resize(step.rawSize);
        uLongf size = static_cast<uLongf>(raw.size());
        uncompress(raw.data(), &size, step.data.data(), static_cast<uLong>(step.data.size()));
        bytes = raw.data();
    }
    if (forward) bytes += step.rawSize / 2;
    for (const Step::Run& r : step.runs) {
        std::uint8_t* store = r.store == 0 ? state.DestinationStore() : state.RestoreStore();
        std::memcpy(store + r.offset, bytes, r.length);
        std::memcpy((r.store == 0 ? destination_ : restore_).data() + r.offset, bytes, r.length);
        bytes += r.length;
    }
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

// The oldest steps go first; redo steps are newer than every undo step, so they go last.
void History::Trim() {
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
