#include "app/wendral_app.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QScreen>
#include <QSettings>

#include "app/background.h"
#include "app/commands.h"
#include "app/data_files.h"
#include "app/dest_window.h"
#include "app/icons.h"
#include "app/mail_client.h"
#include "app/main_frame.h"
#include "app/merge_align_window.h"
#include "app/printing.h"
#include "app/script_runner.h"
#include "app/session_recorder.h"
#include "app/source_template.h"
#include "dialogs/message_service.h"
#include "dialogs/support_dialog.h"

namespace wendral::app {
namespace {

CWendralApp* g_instance = nullptr;

constexpr int kRecentFileCount = 4;
constexpr const char* kRecentFilesKey = "Recent File List/Files";

}  // namespace

CWendralApp::CWendralApp() : CWendralApp(Options{}) {}

CWendralApp::CWendralApp(Options options)
    : options_(std::move(options)), recorder_(std::make_unique<SessionRecorder>(*this)) {
    g_instance = this;
    RegisterCommands();
}

CWendralApp::~CWendralApp() {
    recorder_->Stop();
    SetMessageParent(nullptr);
    mainFrame_.reset();
    templates_.clear();
    if (g_instance == this) g_instance = nullptr;
}

CWendralApp* CWendralApp::Instance() {
    return g_instance;
}

PrintService& CWendralApp::Printing() {
    if (!printing_) printing_ = std::make_unique<PrintService>();
    return *printing_;
}

void CWendralApp::MakeTemplates() {
    templates_.push_back(std::make_unique<SourceTemplate>(*this));
    templates_.push_back(std::make_unique<DestinationTemplate>(*this));
    templates_.push_back(std::make_unique<MergeAlignTemplate>(*this));
    templates_.push_back(std::make_unique<BackgroundTemplate>(mainFrame_->MdiArea()));
}

DocTemplate* CWendralApp::Template(int resourceId) {
    for (auto& t : templates_)
        if (t->ResourceId() == resourceId) return t.get();
    return nullptr;
}

QString CWendralApp::BackgroundPath() const {
    return DataFilePath("bmy", options_.dataDirectory);
}
QString CWendralApp::StartupHelpPath() const {
    return DataFilePath("bmx", options_.dataDirectory);
}

bool CWendralApp::InitInstance() {
    // Before any window exists: every window without an icon of its own shows this one.
    QApplication::setWindowIcon(ProgramIcon());
    mainFrame_ = std::make_unique<CMainFrame>(*this);
    SetMessageParent(mainFrame_.get());
    MakeTemplates();
    QSize screen(1024, 768);
    if (options_.screen)
        screen = *options_.screen;
    else if (QScreen* primary = QGuiApplication::primaryScreen())
        screen = primary->size();
    mainFrame_->setGeometry(CMainFrame::InitialGeometry(screen));
    if (options_.show) mainFrame_->show();

    DocTemplate* background = Template(kBackgroundTemplate);
    if (!background->OpenDocumentFile(BackgroundPath())) {
        ShowMessage(kBackgroundMissing);
        background->OpenDocumentFile({});
    }
    DocTemplate* destination = Template(kDestinationTemplate);
    if (!destination->OpenDocumentFile(StartupHelpPath())) {
        ShowMessage(kStartupHelpMissing);
        destination->OpenDocumentFile({});
    }
    state_.SourceCount = 0;
    MergeAlignFrame = nullptr;
    emit RecentFilesChanged();
    StateChanged();
    return true;
}

CDestview* CWendralApp::DestView() {
    return destFrame_ ? &destFrame_->View() : nullptr;
}
CDestdoc* CWendralApp::DestDoc() {
    return destFrame_ ? &destFrame_->Document() : nullptr;
}

bool CWendralApp::OpenSourceFile(const QString& path) {
    DocTemplate* source = Template(kSourceTemplate);
    if (!source) return false;
    const bool ok = source->OpenDocumentFile(path);
    StateChanged();
    return ok;
}

void CWendralApp::StateChanged() {
    if (mainFrame_) mainFrame_->QueueIdleUpdate();
}

void CWendralApp::BringToTop(QMdiSubWindow* frame) {
    if (mainFrame_) mainFrame_->BringToTop(frame);
}

bool CWendralApp::StartRecording(const QString& path) {
    QString error;
    const bool started = recorder_->Start(path, &error);
    if (!started)
        ShowMessage(QStringLiteral("The script \"%1\" cannot be written: %2").arg(path, error));
    StateChanged();
    return started;
}

void CWendralApp::RegisterCommands() {
    OnCommand(kShowSource1, [this] {
        if (state_.SourceCount > 0) BringToTop(SourceFrames[1]);
    });
    OnCommand(kShowSource2, [this] {
        if (state_.SourceCount > 1) BringToTop(SourceFrames[2]);
    });
    OnCommand(kShowDestination, [this] { BringToTop(destFrame_); });
    OnCommand(kPrintSetup, [this] { Printing().Setup(mainFrame_.get()); });
    OnCommand(kRecordScript, [this] {
        const QString path =
            QFileDialog::getSaveFileName(mainFrame_.get(), QStringLiteral("Record Script"),
                                         QString(), QStringLiteral("Wendral scripts (*.wbs)"));
        if (!path.isEmpty())
            StartRecording(path.endsWith(QStringLiteral(".wbs")) ? path : path + ".wbs");
    });
    OnCommand(
        kStopRecording,
        [this] {
            recorder_->Stop();
            StateChanged();
        },
        [this] { return CommandState{recorder_->Recording()}; });
    OnCommand(kRunScript, [this] {
        const QString path =
            QFileDialog::getOpenFileName(mainFrame_.get(), QStringLiteral("Run Script"), QString(),
                                         QStringLiteral("Wendral scripts (*.wbs);;All files (*)"));
        if (!path.isEmpty()) RunScriptFile(*this, path, mainFrame_.get());
        StateChanged();
    });
    OnCommand(kAbout, [] { ShowMessage(kAboutText, MessageButtons::Ok, MessageIcon::Program); });
    OnCommand(kSupport, [this] {
        CSupportDialog dialog([](const QUrl& url) { return QDesktopServices::openUrl(url); },
                              ComposeMailFromWindows, mainFrame_.get());
        dialog.exec();
    });
    OnCommand(
        kMergeAlign,
        [this] {
            if (MergeAlignFrame)
                BringToTop(MergeAlignFrame);
            else if (DocTemplate* t = Template(kMergeAlignTemplate))
                t->OpenDocumentFile({});
        },
        [this] { return CommandState{Template(kMergeAlignTemplate) != nullptr}; });
    for (int n = 0; n < kRecentFileCount; ++n) {
        OnCommand(
            kRecentFile1 + n,
            [this, n] {
                const QStringList files = RecentFiles();
                if (n >= files.size()) return;
                // An entry whose file did not open goes, after its messages. With two sources
                // open the file was not even tried: its entry stays.
                if (!OpenSourceFile(files[n]) && state_.SourceCount < 2) RemoveRecentFile(files[n]);
            },
            [this, n] {
                return CommandState{n < RecentFiles().size() &&
                                    Template(kSourceTemplate) != nullptr};
            });
    }
    connect(this, &CWendralApp::RecentFilesChanged, this, [this] {
        if (!mainFrame_) return;
        const QStringList files = RecentFiles();
        for (int n = 0; n < kRecentFileCount; ++n) {
            QAction* action = mainFrame_->Action(kRecentFile1 + n);
            if (!action) continue;
            action->setVisible(n == 0 || n < files.size());
            action->setText(n < files.size() ? QStringLiteral("&%1 %2").arg(n + 1).arg(files[n])
                                             : QStringLiteral("Recent File"));
        }
    });
}

// Read once: the menu asks on every refresh, and the settings file is the program's own.
QStringList CWendralApp::RecentFiles() const {
    if (!recentFiles_) {
        QStringList files = QSettings().value(kRecentFilesKey).toStringList();
        while (files.size() > kRecentFileCount) files.removeLast();
        recentFiles_ = files;
    }
    return *recentFiles_;
}

void CWendralApp::AddRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    files.removeAll(path);
    files.prepend(path);
    StoreRecentFiles(files);
}

void CWendralApp::RemoveRecentFile(const QString& path) {
    QStringList files = RecentFiles();
    if (files.removeAll(path) > 0) StoreRecentFiles(files);
}

void CWendralApp::StoreRecentFiles(QStringList files) {
    while (files.size() > kRecentFileCount) files.removeLast();
    recentFiles_ = files;
    QSettings().setValue(kRecentFilesKey, files);
    emit RecentFilesChanged();
}

}  // namespace wendral::app
