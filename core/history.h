#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/dest_state.h"
#include "core/zone.h"

namespace wendral {

// What undo gives back besides the two stores' bytes.
struct DestinationFields : DestinationSettings {
    Zone zone;

    static DestinationFields Of(const WendralState& state, const Zone& zone);
    void ApplyTo(WendralState& state, Zone& zone) const;
    friend bool operator==(const DestinationFields&, const DestinationFields&) = default;
};

// The undo history of one destination: a bounded list of steps, each holding only what it
// changed (the differing byte runs of DestinationStore and RestoreStore before and after, and
// the fields), compressed where that pays. Compression runs on a thread of its own, so that a
// commit costs the user no more than the comparison and a copy of what changed.
//
// A step is everything that changed between two commits: the caller commits once a command,
// a drag or a dialog session is over, whatever path its changes took. The history keeps a
// copy of both stores as they were at the last commit, so a commit costs a comparison of the
// stores, not a copy; RestoreStore is compared only when a snapshot was taken since.
//
// Undo and redo write the state back exactly: the bytes of both stores and every field above.
// They do not touch the sources or the random generator. A step committed after an undo
// drops what could be redone.
class History {
  public:
    static constexpr std::size_t kDefaultBudget = std::size_t{256} << 20;

    // `state` as it is now is the starting point; nothing can be undone before it.
    History(const WendralState& state, const Zone& zone, std::size_t budgetBytes = kDefaultBudget);
    ~History();
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    // Ends a step named `name` (the command's, for "Undo <name>"). Returns false, and keeps no
    // step, when nothing changed since the last commit. A caller that knows which part of the
    // picture it changed since then gives it as `part` (in picture pixels, y from the top), and
    // the rest of DestinationStore is not compared; a change of size compares everything.
    struct Part {
        int x = 0, y = 0, width = 0, height = 0;
    };
    bool Commit(const WendralState& state, const Zone& zone, std::string name,
                std::optional<Part> part = std::nullopt);

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    const std::string& UndoName() const;
    const std::string& RedoName() const;

    // Gives back the state before the last step (after the last undone step). Changes not yet
    // committed are committed first as a step of their own, named `pendingName`. False when
    // there is nothing to undo (redo).
    bool Undo(WendralState& state, Zone& zone, const std::string& pendingName = "Change");
    bool Redo(WendralState& state, Zone& zone, const std::string& pendingName = "Change");

    // The memory the steps hold; the oldest steps go when it passes the budget.
    std::size_t Bytes() const { return bytes_; }
    std::size_t Budget() const { return budget_; }
    void SetBudget(std::size_t budgetBytes);
    std::size_t Steps() const { return undo_.size(); }
    // The bytes the last committed step holds, once its packing is over (it waits for that).
    std::size_t LastStepBytes() const;

    struct Step;

  private:
    void Apply(Step& step, bool forward, WendralState& state, Zone& zone);
    // Takes the last step of `from` across to `to`, applied forward (redo) or back (undo).
    bool Travel(std::deque<std::unique_ptr<Step>>& from, std::deque<std::unique_ptr<Step>>& to,
                bool forward, WendralState& state, Zone& zone, const std::string& pendingName);
    void Recount();
    void Trim();

    std::vector<std::uint8_t> destination_;  // both stores at the last commit
    std::vector<std::uint8_t> restore_;
    std::size_t destinationBytes_ = 0;  // DestBytes at the last commit
    std::uint64_t snapshots_ = 0;       // state.SnapshotCount at the last commit
    DestinationFields fields_;
    std::deque<std::unique_ptr<Step>> undo_;
    std::deque<std::unique_ptr<Step>> redo_;
    std::size_t bytes_ = 0;
    std::size_t budget_;
};

}  // namespace wendral
