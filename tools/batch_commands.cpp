#include "tools/batch_session.h"

namespace wendral::batch {
namespace {

// The words of one batch word's rows: most words have one row; "brushing on|off" and
// "dest-to 1|2" have one for each first argument.
Command FromTable(const CommandRow& first) {
    const std::string word = first.word;
    return Command{word,
                   word + (*first.synopsis ? std::string(" ") + first.synopsis : std::string()),
                   [word](const Args& a) {
                       const CommandRow* row = FindCommandWord(word, a);
                       return row && row->argumentsOk(a);
                   },
                   [word](Session& s, const Args& a) {
                       const CommandRow& row = *FindCommandWord(word, a);
                       return s.Run(row, ScriptName(row), a);
                   }};
}

}  // namespace

// The command table's words, then the batch's own.
const Vocabulary& AllCommands() {
    static const Vocabulary vocabulary = [] {
        Vocabulary v;
        for (const std::string& word : CommandWords()) v.Add(FromTable(*FindCommandWord(word, {})));
        RegisterFileCommands(v);
        return v;
    }();
    return vocabulary;
}

}  // namespace wendral::batch
