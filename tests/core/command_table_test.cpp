// The command table: one row per command and carrier, one per batch word, and the enabling
// rule's reasons.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "core/command_table.h"

namespace wendral {
namespace {

TEST(CommandTable, EachCommandAndEachWordHasOneRow) {
    std::set<std::pair<int, Carrier>> ids;
    std::set<std::string> words;
    for (const CommandRow& row : CommandTable()) {
        if (row.id != 0) {
            EXPECT_TRUE(ids.emplace(row.id, row.carrier).second) << row.id;
        }
        if (!row.word) continue;
        const std::string word =
            std::string(row.word) + ' ' + (row.firstArgument ? row.firstArgument : "");
        EXPECT_TRUE(words.insert(word).second) << word;
        // A script's word finds its own row, by its first argument where rows share the word.
        const std::string first = row.firstArgument ? row.firstArgument : "1";
        EXPECT_EQ(FindCommandWord(row.word, std::span(&first, 1)), &row) << word;
        EXPECT_TRUE(row.run) << word;
    }
}

TEST(CommandTable, UnavailabilityGivesTheFirstMissingNeed) {
    WendralState state;
    struct Case {
        int sources, width, brushing;
        unsigned needs;
        const char* reason;  // null: available
    };
    const Case cases[] = {
        {0, 0, 0, kNeedsNothing, nullptr},
        {0, 0, 0, kNeedsPicture | kNeedsSource, "no source is open"},
        {1, 0, 0, kNeedsPicture | kNeedsNoBrushing, "the destination is empty"},
        {1, 8, 0, kNeedsTwoSources, "source 2 is not open"},
        {2, 8, 1, kNeedsPicture | kNeedsTwoSources | kNeedsNoBrushing,
         "not available while brushing is on (brushing off ends it)"},
        {2, 8, 0, kNeedsPicture | kNeedsTwoSources | kNeedsNoBrushing, nullptr},
    };
    for (const Case& c : cases) {
        state.SourceCount = c.sources;
        state.DestWidth = state.DestHeight = c.width;
        state.BrushingEnabled = c.brushing;
        const std::optional<std::string> why = Unavailability(state, c.needs);
        EXPECT_EQ(why.value_or("-"), c.reason ? c.reason : "-");
        EXPECT_EQ(Available(state, c.needs), c.reason == nullptr);
    }
}

}  // namespace
}  // namespace wendral
