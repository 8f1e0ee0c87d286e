#pragma once
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/command_router.h"
#include "app/doc_template.h"
#include "core/command_table.h"
#include "core/dest_state.h"
#include "core/sources.h"

class QMdiSubWindow;

namespace wendral::app {

class CMainFrame;
class CDestchild;
class CDestdoc;
class CDestview;
class PrintService;

inline constexpr const char* kBackgroundMissing =
    "Problem with opening the background image ?\nWENDRAL will proceed loading anyway.";
inline constexpr const char* kStartupHelpMissing =
    "Problem with opening the start up help in the destination window ?\nWENDRAL will proceed "
    "loading anyway.";
inline constexpr const char* kAboutText = "WENDRAL Version 1.7";

// What the destination needs of the source windows, which live elsewhere in the application:
// the source side registers one with SetSourceWindows. Each call shows its own messages.
class SourceWindows : public SourceWindowMaker {
  public:
    // The engine changed what the source windows hold or show (a restore, a transfer): they
    // redraw, retitle, and the merge-align window redraws, as `outcome` says.
    virtual void SourcesChanged(const SourceOutcome& outcome) = 0;
    // After a command that may have made source windows (MakeSourceWindow): those the outcome
    // keeps join the source windows, the others are destroyed.
    virtual void SettleNewWindows(const SourceOutcome& outcome) = 0;
    // Reads picture files for the source commands.
    virtual const PictureLoader& Loader() const = 0;
};

// The application object: owns the process-wide state, the templates and the main frame, and
// carries the application-wide commands (windows to the top, About, merge-align).
//
// For the rest of the application:
//  - State() is the one WendralState; SourceFrames[1], [2] are the source frames' sub-windows
//    (the source frames set and clear them); MergeAlignFrame the merge-align one.
//  - Templates are made in MakeTemplates(), in the order 258, 130, 250, 8; a kind of window
//    adds its factory there. OpenSourceFile (dropped files) opens through template 258.
//  - The application is a CommandTarget: the source side registers kNewSource and kOpenSource
//    on it (OnCommand); commands without a handler stay disabled.
//  - StateChanged() after anything that changes what the panes or the command states show.
class SessionRecorder;

class CWendralApp : public QObject, public CommandTarget {
    Q_OBJECT
  public:
    struct Options {
        QString dataDirectory;        // empty: beside the executable, then ../share/wendral/
        bool show = true;             // tests run without showing the main frame
        std::optional<QSize> screen;  // the screen to place the frame by; none: the primary screen
    };

    CWendralApp();
    explicit CWendralApp(Options options);
    ~CWendralApp() override;

    static CWendralApp* Instance();

    // Start-up: templates, main frame, background, destination, recent files. False when the
    // main frame could not be made.
    bool InitInstance();

    WendralState& State() { return state_; }
    CMainFrame* MainFrame() { return mainFrame_.get(); }
    CDestchild* DestFrame() { return destFrame_; }
    CDestview* DestView();
    CDestdoc* DestDoc();
    DocTemplate* Template(int resourceId);
    // The session's printer and the print commands of the views.
    PrintService& Printing();

    QPointer<QMdiSubWindow> SourceFrames[3];
    QPointer<QMdiSubWindow> MergeAlignFrame;

    void SetSourceWindows(SourceWindows* windows) { sourceWindows_ = windows; }
    SourceWindows* Sources() { return sourceWindows_; }

    // Opens a file as a new source window through the source template, under its rules.
    bool OpenSourceFile(const QString& path);

    // The destination frame is made by template 130; it reports itself here.
    void SetDestination(CDestchild* frame) { destFrame_ = frame; }

    void StateChanged();
    // The script being recorded, if any: every action that reaches the engine is written there.
    SessionRecorder& Recorder() { return *recorder_; }
    // Starts recording into `path`; says why when it cannot.
    bool StartRecording(const QString& path);
    // The start-up help picture and the background picture, as found.
    QString StartupHelpPath() const;
    QString BackgroundPath() const;

    // The recent-file list, newest first, at most 4 entries.
    QStringList RecentFiles() const;
    void AddRecentFile(const QString& path);
    void RemoveRecentFile(const QString& path);

  signals:
    void RecentFilesChanged();

  private:
    mutable std::optional<QStringList> recentFiles_;
    void StoreRecentFiles(QStringList files);
    void MakeTemplates();
    void RegisterCommands();
    void BringToTop(QMdiSubWindow* frame);

    Options options_;
    WendralState state_;
    std::vector<std::unique_ptr<DocTemplate>> templates_;
    std::unique_ptr<CMainFrame> mainFrame_;
    CDestchild* destFrame_ = nullptr;
    SourceWindows* sourceWindows_ = nullptr;
    std::unique_ptr<PrintService> printing_;
    std::unique_ptr<SessionRecorder> recorder_;
};

}  // namespace wendral::app
