#include "tools/batch_session.h"

namespace wendral::batch {

// Every family of batch commands, each registered from its own batch_<family>.cpp.
const CommandTable& AllCommands() {
    static const CommandTable table = [] {
        CommandTable t;
        RegisterFileCommands(t);
        RegisterSourceCommands(t);
        RegisterDistortionCommands(t);
        RegisterBrushingCommands(t);
        RegisterMergeCommands(t);
        RegisterReferenceColourCommands(t);
        RegisterEffectCommands(t);
        return t;
    }();
    return table;
}

}  // namespace wendral::batch
