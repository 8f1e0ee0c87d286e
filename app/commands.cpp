#include "app/commands.h"

#include <QString>
#include <array>

namespace wendral::app {
namespace {

constexpr CommandInfo kCommands[] = {
    // Destination view
    {kNudgeDownward, "Nudge downward", "Nudge downward in rectangle\nWendral - Nudge downward",
     "Down", nullptr, false},
    {kNudgeUpward, "Nudge upward", "Nudge upward in rectangle\nWendral - Nudge upward", "Up",
     nullptr, false},
    {kNudgeRight, "Nudge right", "Nudge right in rectangle\nWendral - Nudge right", "Right",
     nullptr, false},
    {kNudgeLeft, "Nudge left", "Nudge left in rectangle\nWendral - Nudge left", "Left", nullptr,
     false},
    {kTwistRight, "Twist right", "Twist right in rectangle\nWendral - Twist right", nullptr, ">",
     false},
    {kTwistLeft, "Twist left", "Twist left in rectangle\nWendral - Twist left", nullptr, "<",
     false},
    {kImplode, "Implode", "Implode in rectangle\nWendral - Implode", nullptr, ",", false},
    {kExplode, "Explode", "Explode in rectangle\nWendral - Explode", nullptr, ".", false},
    {kDiverge, "Diverge",
     "Diverge from Ref. color in 'wendral' rectangle\nDiverge from reference color", "Ctrl+Down",
     nullptr, false},
    {kConverge, "Converge",
     "Converge to Ref. color in 'wendral' rectangle\nConverge to reference color", "Ctrl+Up",
     nullptr, false},
    {kRestoreDestination, "Restore Destination",
     "Restore Dest. prior to changes\nRestore Destination", "Backspace", nullptr, false},
    {kDestinationToSource1, "Destination -> Source 1",
     "Copy Destination window to Source 1\nDestination -> Source 1", nullptr, nullptr, false},
    {kDestinationToSource2, "Destination -> source 2",
     "Copy destination to Source 2\nDestination -> source 2", nullptr, nullptr, false},
    {kMergeSources, "Src 1 & 2 -> Destination",
     "Merge Sources: 1 & 2 to Destination\n Src 1 & 2 -> Destination", nullptr, "m", false},
    {kPortion1, "Portion 1 to Destination",
     "Merge portion of source 1 to Destination\nPortion 1 to Destination", "Ctrl+1", nullptr,
     false},
    {kPortion2, "Portion 2 to Destination",
     "Merge portion of source 2 to Destination.\nPortion 2 to Destination", "Ctrl+2", nullptr,
     false},
    {kFlip, "Flip the destination picture",
     "Flip the destination picture left/right\nFlip the destination picture", nullptr, "f", false},
    {kEnableBrushing, "Enable source brushing",
     "Enable brushing from a source window\nEnable source brushing", nullptr, "b", true},
    {kDisableBrushing, "Disable source brushing",
     "Disable brushing from a source window\nDisable source brushing", "Ctrl+B", nullptr, true},
    {kLockDestination, "Lock Unlock Destination",
     "Lock/Unlock Dest. from srce changes ->\nLock Unlock Destination", nullptr, nullptr, false},
    {kWhatNow, "What now !", "What now !\nWhat are my options ?", nullptr, nullptr, false},
    // Source frames
    {kSetScale, "Set scaling x & y", "Set scale X,Y of this Source\nSet scaling x & y", nullptr,
     nullptr, false},
    {kTopLeftJustify, "Top-Left Justify", "Top-Left Justify\nShift source to top and left", nullptr,
     nullptr, false},
    {kSynchroniseSize, "Synchronise source size",
     "Synchronise source size\nSynchronise this source window size to other source size", nullptr,
     nullptr, false},
    {kScaleToFit, "Scale to fit window",
     "Scale to fit window\nScale the picture to fit this window exactly", nullptr, nullptr, false},
    {kEmptySource, "Empty this source window", "Empty this source window\nEmpty this source window",
     nullptr, nullptr, false},
    {kExplainButtons, "Explain these buttons",
     "Explain these buttons\nDescription of this source window buttons", nullptr, nullptr, false},
    // Edit menu effects
    {kReferenceColour, "Setup Reference Color", "Setup reference color", nullptr, nullptr, false},
    {kRotateDestination, "Rotate Destination", "Rotate Dest. by any # of degrees", nullptr, nullptr,
     false},
    {kBrightnessContrast, "Brightness && Contrast", "Setup Dest. Brightness, Contrast and Gamma",
     nullptr, nullptr, false},
    {kSpecialEffects, "Special effects", "Produce surreal effects in Destination", nullptr, nullptr,
     false},
    {kPencilDraw, "Pencil Draw", "Create pencil draw effect", nullptr, nullptr, false},
    {kInvertBrightness, "'Invert' Brightness", "Invert Brightness but maintain color", nullptr,
     nullptr, false},
    {kBlackWhite, "Convert to Black/White", "Convert to Black and White", nullptr, nullptr, false},
    {kSharpen, "Sharpen Image", "Sharpen the Image", nullptr, nullptr, false},
    {kEmboss, "Emboss", "Emboss the image", nullptr, nullptr, false},
    {kBlur, "Blur", "Blur the image", nullptr, nullptr, false},
    {kSoften, "Soften Image", "Soften the Image", nullptr, nullptr, false},
    {kEdge, "Edge", "Edge", nullptr, nullptr, false},
    // File
    {kNewSource, "&New Source Window\tCtrl+N", "Create a new blank white source document\nNew",
     "Ctrl+N", nullptr, false},
    {kOpenSource, "&Open Source Window..\tCtrl+O", "Open an existing source document\nOpen",
     "Ctrl+O", nullptr, false},
    {kReloadSource, "&Reload Source Window\tCtrl+R",
     "Reload this source window from original image file\nReload", "Ctrl+R", nullptr, false},
    {kCloseSource, "Close", "Close this source window\nClose", nullptr, nullptr, false},
    {kSendTo, "Send to ...", "Send file by email\nSend", nullptr, nullptr, false},
    {kSaveDestinationAs, "Save Destination As...\tS",
     "Save Destination image into a file with a new name\nSave As", nullptr, "s", false},
    {kPrint, "&Print...\tCtrl+P", "Print the active document\nPrint", "Ctrl+P", nullptr, false},
    {kPrintPreview, "Print Pre&view", "Display full pages\nPrint Preview", nullptr, nullptr, false},
    {kPrintSetup, "P&rint Setup...", "Change the printer and printing options\nPrint Setup",
     nullptr, nullptr, false},
    {kRecordScript, "Recor&d Script...",
     "Write what you do as a script that wendral-batch replays\nRecord Script", nullptr, nullptr,
     false},
    {kStopRecording, "Stop Recordin&g", "Stop writing the script\nStop Recording", nullptr, nullptr,
     false},
    {kRunScript, "Run Scrip&t...", "Run a script of commands in these windows\nRun Script", nullptr,
     nullptr, false},
    {kRecentFile1, "Recent File", "Open this document", nullptr, nullptr, false},
    {kRecentFile2, "Recent File", "Open this document", nullptr, nullptr, false},
    {kRecentFile3, "Recent File", "Open this document", nullptr, nullptr, false},
    {kRecentFile4, "Recent File", "Open this document", nullptr, nullptr, false},
    {kExit, "E&xit", "Exits 'WENDRAL'\nExit", nullptr, nullptr, false},
    // Edit
    {kCopy, "&Copy\tCtrl+C", "Copy the selection and puts it on the Clipboard\nCopy",
     "Ctrl+C;Ctrl+Ins", nullptr, false},
    {kPaste, "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste", "Ctrl+V;Shift+Ins", nullptr,
     false},
    {kCut, "Cu&t", "Cut the selection and put it on the Clipboard\nCut", "Ctrl+X;Shift+Del",
     nullptr, false},
    {kUndo, "&Undo", "Undo the last action\nUndo", "Ctrl+Z;Alt+Backspace", nullptr, false},
    {kRedo, "&Redo", "Redo the last action undone\nRedo", "Ctrl+Y;Ctrl+Shift+Z", nullptr, false},
    // View
    {kMergeAlign, "Merge Align", "View overlaid sources\nMerge Align", nullptr, nullptr, false},
    {kViewToolbar, "View Toolbar", "Show or hide the toolbar\nToggle ToolBar", nullptr, nullptr,
     true},
    {kViewStatusBar, "View Status Bar", "Show or hide the status bar\nToggle StatusBar", nullptr,
     nullptr, true},
    // Window
    {kCascade, "&Cascade", "Arrange windows so they overlap\nCascade Windows", nullptr, nullptr,
     false},
    {kTileHorizontal, "Tile Horizontal", "Arrange windows as non-overlapping tiles\nTile Windows",
     nullptr, nullptr, false},
    {kTileVertical, "Tile Vertical", "Arrange windows side by side\nTile Windows", nullptr, nullptr,
     false},
    {kNextPane, "Next Pane", "Switch to the next window pane\nNext Pane", "F6", nullptr, false},
    {kPreviousPane, "Previous Pane", "Switch back to the previous window pane\nPrevious Pane",
     "Shift+F6", nullptr, false},
    // Help
    {kAbout, "&About WENDRAL...",
     "Display program information, version number and copyright\nAbout", nullptr, nullptr, false},
    {kHelp, "Help", "General help for WENDRAL\nHelp", nullptr, nullptr, false},
    {kHotKeys, "HotKeys", "Keyboard short cuts\nHotKeys", nullptr, nullptr, false},
    {kSupport, "Support", "Contact and homepage\nSupport", nullptr, nullptr, false},
    // Windows to the top
    {kShowSource1, "Source 1 to the top", "Bring the source 1 window to the front", nullptr, "1",
     false},
    {kShowSource2, "Source 2 to the top", "Bring the source 2 window to the front", nullptr, "2",
     false},
    {kShowDestination, "Destination to the top", "Bring the destination window to the front",
     nullptr, "3", false},
};

constexpr int kFileMenu[] = {kNewSource,
                             kOpenSource,
                             kReloadSource,
                             kCloseSource,
                             0,
                             kSendTo,
                             kSaveDestinationAs,
                             0,
                             kRecordScript,
                             kStopRecording,
                             kRunScript,
                             0,
                             kPrint,
                             kPrintPreview,
                             kPrintSetup,
                             0,
                             kRecentFile1,
                             0,
                             kExit};
constexpr int kEditMenu[] = {kUndo,
                             kRedo,
                             0,
                             kCopy,
                             kPaste,
                             0,
                             kReferenceColour,
                             kRotateDestination,
                             kBrightnessContrast,
                             kSpecialEffects,
                             kPencilDraw,
                             kInvertBrightness,
                             kBlackWhite,
                             kSharpen,
                             kEmboss,
                             kBlur,
                             kSoften,
                             kEdge};
constexpr int kViewMenu[] = {kMergeAlign, 0, kViewToolbar, kViewStatusBar};
constexpr int kWindowMenu[] = {kCascade, kTileHorizontal, kTileVertical};
constexpr int kHelpMenu[] = {kAbout, 0, kHelp, kHotKeys, 0, kSupport};

constexpr MenuInfo kMenus[] = {
    {"&File", kFileMenu},     {"Edit", kEditMenu},  {"&View", kViewMenu},
    {"&Window", kWindowMenu}, {"&Help", kHelpMenu},
};

constexpr int kDestinationToolbar[] = {kNudgeDownward,
                                       kNudgeUpward,
                                       kNudgeLeft,
                                       kNudgeRight,
                                       kTwistLeft,
                                       kTwistRight,
                                       kImplode,
                                       kExplode,
                                       kDiverge,
                                       kConverge,
                                       kPortion1,
                                       kPortion2,
                                       kMergeSources,
                                       kDestinationToSource1,
                                       kDestinationToSource2,
                                       kFlip,
                                       0,
                                       kEnableBrushing,
                                       kDisableBrushing,
                                       kLockDestination,
                                       kRestoreDestination,
                                       kWhatNow,
                                       0,
                                       kUndo,
                                       kRedo};
constexpr int kSourceToolbar[] = {kSetScale,   kTopLeftJustify, kSynchroniseSize,
                                  kScaleToFit, kEmptySource,    kExplainButtons};

}  // namespace

std::span<const CommandInfo> AllCommands() {
    return kCommands;
}

QString StepName(int id) {
    // Where the menu text is not what a user calls the step.
    switch (id) {
        case kMergeSources:
            return QStringLiteral("Merge");
        case kDestinationToSource1:
            return QStringLiteral("Destination to Source 1");
        case kDestinationToSource2:
            return QStringLiteral("Destination to Source 2");
        case kPortion1:
            return QStringLiteral("Portion 1");
        case kPortion2:
            return QStringLiteral("Portion 2");
        case kFlip:
            return QStringLiteral("Flip");
        case kEnableBrushing:
            return QStringLiteral("Brushing On");
        case kDisableBrushing:
            return QStringLiteral("Brushing Off");
        case kLockDestination:
            return QStringLiteral("Lock");
        case kSetScale:
            return QStringLiteral("Scale");
        default:
            break;
    }
    const CommandInfo* info = FindCommand(id);
    if (!info) return QString();
    QString text = QString::fromUtf8(info->text).section('\t', 0, 0);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove('&').replace(QChar(1), '&');
    if (text.endsWith(QStringLiteral("..."))) text.chop(3);
    if (text.endsWith(QStringLiteral(".."))) text.chop(2);
    return text;
}

const CommandInfo* FindCommand(int id) {
    for (const CommandInfo& c : kCommands)
        if (c.id == id) return &c;
    return nullptr;
}

std::span<const MenuInfo> MainMenus() {
    return kMenus;
}
std::span<const int> DestinationToolbar() {
    return kDestinationToolbar;
}
std::span<const int> SourceToolbar() {
    return kSourceToolbar;
}

}  // namespace wendral::app
