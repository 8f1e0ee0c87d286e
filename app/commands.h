#pragma once
#include <QString>
#include <span>

#include "core/command_ids.h"

namespace wendral::app {

// One command of the vocabulary.
//  - text: the menu text ("&" marks the mnemonic, "\t" starts the accelerator hint); for a
//    command without a menu item, the name its QAction carries.
//  - prompt: "status text\ntool tip"; either part may be missing.
//  - keys: key sequences in QKeySequence's portable form, ";"-separated.
//  - typed: characters that run the command when typed, matched exactly (case-sensitive);
//    the typed form is not a key sequence because ">" and "<" and the case of letters depend
//    on the keyboard layout.
//  - checkable: the action shows a check mark that its handler's state decides.
struct CommandInfo {
    int id;
    const char* text;
    const char* prompt;
    const char* keys;
    const char* typed;
    bool checkable;
};

std::span<const CommandInfo> AllCommands();
// What "Undo <step>" and "Redo <step>" call the change a command makes ("Explode", "Merge").
QString StepName(int id);
// The entry of `id`, or null for an id outside the vocabulary.
const CommandInfo* FindCommand(int id);

// A menu of the main frame: its title and its items in order, 0 standing for a separator.
struct MenuInfo {
    const char* title;
    std::span<const int> items;
};
std::span<const MenuInfo> MainMenus();

// Toolbar 207 (destination frame) and 215 (source frames), 0 for a separator.
std::span<const int> DestinationToolbar();
std::span<const int> SourceToolbar();

}  // namespace wendral::app
