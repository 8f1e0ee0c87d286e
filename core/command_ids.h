#pragma once

namespace wendral {

// The command ids of the system: the menus, accelerators and toolbars of the application and
// the rows of the command table (core/command_table.h). The application makes one QAction per
// id.
enum CommandId : int {
    // Destination view (toolbar 207)
    kNudgeDownward = 32773,
    kNudgeUpward = 32774,
    kNudgeRight = 32775,
    kNudgeLeft = 32776,
    kTwistRight = 32777,
    kTwistLeft = 32778,
    kImplode = 32779,
    kExplode = 32780,
    kDiverge = 32781,
    kConverge = 32782,
    kRestoreDestination = 32783,
    kDestinationToSource1 = 32784,
    kDestinationToSource2 = 32791,
    kMergeSources = 32793,
    kPortion1 = 32814,
    kPortion2 = 32815,
    kFlip = 32818,
    kEnableBrushing = 32841,
    kDisableBrushing = 32843,
    kLockDestination = 32845,
    kWhatNow = 32851,
    // Source frames (toolbar 215)
    kSetScale = 32790,
    kTopLeftJustify = 32819,
    kSynchroniseSize = 32820,
    kScaleToFit = 32840,
    kEmptySource = 32844,
    kExplainButtons = 32850,
    // Edit menu effects
    kBrightnessContrast = 32730,
    kSpecialEffects = 32731,
    kPencilDraw = 32732,
    kInvertBrightness = 32733,
    kBlackWhite = 32734,
    kSharpen = 32735,
    kEmboss = 32736,
    kBlur = 32737,
    kSoften = 32738,
    kEdge = 32739,
    kRotateDestination = 32740,
    kReferenceColour = 32741,
    // File
    kNewSource = 57600,
    kOpenSource = 57601,
    kReloadSource = 32813,
    kCloseSource = 32801,
    kSendTo = 32848,
    kSaveDestinationAs = 57604,
    kPrint = 57607,
    kPrintPreview = 57609,
    kPrintSetup = 57606,
    kRecordScript = 32870,
    kStopRecording = 32871,
    kRunScript = 32872,
    kRecentFile1 = 57616,
    kRecentFile2 = 57617,
    kRecentFile3 = 57618,
    kRecentFile4 = 57619,
    kExit = 57665,
    // Edit
    kCopy = 57634,
    kPaste = 57637,
    kCut = 57635,
    kUndo = 57643,
    kRedo = 57644,
    // View
    kMergeAlign = 32827,
    kViewToolbar = 59392,
    kViewStatusBar = 59393,
    // Window
    kCascade = 57650,
    kTileHorizontal = 57651,
    kTileVertical = 57652,
    kNextPane = 57680,
    kPreviousPane = 57681,
    // Help
    kAbout = 57664,
    kHelp = 32842,
    kHotKeys = 32846,
    kSupport = 32853,
    // Bringing windows to the top
    kShowSource1 = 32802,
    kShowSource2 = 32803,
    kShowDestination = 32804,
};

}  // namespace wendral
