#include "app/source_template.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>

#include "app/background.h"
#include "app/commands.h"
#include "app/dest_window.h"
#include "app/main_frame.h"
#include "app/session_recorder.h"
#include "app/source_window.h"
#include "dialogs/busy_cursor.h"
#include "dialogs/message_service.h"
#include "dialogs/save_destination_dialog.h"
#include "io/picture_file.h"

namespace wendral::app {
namespace {

QString AbsolutePath(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

std::optional<QString> RunOpenDialog(QWidget* parent) {
    QFileDialog dialog(parent, "Open");
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    const QStringList filters = OpenFilters();
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.first());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

}  // namespace

QStringList OpenFilters() {
    QStringList filters = QtNameFilters(QString::fromStdString(OpenFilter()));
    // "*.*" means every file where the filter string comes from; here it would skip names
    // without a dot.
    for (QString& f : filters) f.replace("(*.*)", "(*)");
    return filters;
}

SourceTemplate::SourceTemplate(CWendralApp& app)
    : DocTemplate(kSourceTemplate, "Source"), app_(app) {
    loader_ = [](const std::string& path, int sourceCount, SourceDocument& doc, Messages& out) {
        BusyCursor busy;
        return LoadPictureFile(path, sourceCount, doc, out);
    };
    app_.OnCommand(kOpenSource, [this] { OpenSourceCommand(); });
    app_.OnCommand(kNewSource, [this] { NewSourceWindow(); });
    app_.SetSourceWindows(this);
}

SourceTemplate::~SourceTemplate() {
    if (app_.Sources() == this) app_.SetSourceWindows(nullptr);
}

Zone& SourceTemplate::CurrentZone() {
    CDestview* dest = app_.DestView();
    return dest ? dest->DestZone() : spareZone_;
}

QList<CChildFrame*> SourceTemplate::Frames() const {
    QList<CChildFrame*> frames;
    for (const QPointer<CChildFrame>& f : frames_)
        if (f) frames << f.data();
    return frames;
}

CChildFrame* SourceTemplate::Frame(int number) const {
    for (CChildFrame* f : Frames())
        if (f->SourceNumber() == number) return f;
    return nullptr;
}

bool SourceTemplate::OpenDocumentFile(const QString& path) {
    if (path.isEmpty()) return NewSourceWindow();
    for (CChildFrame* f : Frames()) {
        if (f->SourceNumber() != 0 && AbsolutePath(QString::fromStdString(
                                          f->Model().Document.SourcePath)) == AbsolutePath(path)) {
            app_.MainFrame()->BringToTop(f);
            return true;
        }
    }
    return OpenInNewWindow(path);
}

void SourceTemplate::OpenSourceCommand() {
    if (State().SourceCount >= 2) {
        ShowMessage(kTwoSourcesMessage);
        return;
    }
    const std::optional<QString> path =
        openDialog_ ? openDialog_() : RunOpenDialog(app_.MainFrame());
    if (path && !path->isEmpty()) OpenInNewWindow(*path);
}

void SourceTemplate::ShowNewFrame(CChildFrame& frame, int number) {
    QSize size;
    if (CChildFrame* first = Frame(1); number == 2 && first) {
        size = first->size();
    } else {
        QSize screen(1024, 768);
        if (QScreen* primary = QGuiApplication::primaryScreen()) screen = primary->size();
        size = QSize(screen.width() * 5 / 8, screen.height() / 2);
    }
    frame.resize(size);
    const QPoint at = app_.MainFrame()->PlaceNewWindow(size);
    app_.MainFrame()->AddSubWindow(&frame);
    frame.move(at);
    // The view's client size is what the first layout and rendering use: settle the layouts of
    // the sub-window and of its inner window now rather than at the next turn of the loop.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    if (frame.layout()) frame.layout()->activate();
    if (QWidget* inner = frame.widget(); inner && inner->layout()) inner->layout()->activate();
    frame.View().TakeClientSize();
}

void SourceTemplate::Adopt(CChildFrame* frame) {
    frames_.append(frame);
    frame->View().InitialUpdateDone();
    app_.MainFrame()->BringToTop(frame);
}

bool SourceTemplate::OpenInNewWindow(const QString& path) {
    const std::string file = path.toStdString();
    const SourceOutcome outcome =
        RunSourceCommand(*FindCommandRow(kOpenSource, Carrier::Application), std::span(&file, 1));
    if (outcome.keepWindow) app_.AddRecentFile(path);
    Report(outcome);
    return outcome.keepWindow;
}

bool SourceTemplate::NewSourceWindow() {
    if (State().SourceCount >= 2) {
        ShowMessage(kTwoSourcesMessage);
        return false;
    }
    const SourceOutcome outcome =
        RunSourceCommand(*FindCommandRow(kNewSource, Carrier::Application), {});
    Report(outcome);
    return outcome.keepWindow;
}

SourceOutcome SourceTemplate::RunSourceCommand(const CommandRow& row, Args args) {
    CDestview* dest = app_.DestView();
    CommandContext context =
        dest ? dest->Context()
             : CommandContext{State(),      spareZone_, spareEngine_, spareSampling_, nullptr,
                              ClientArea{}, loader_,    nullptr,      this,           nullptr};
    const CommandOutcome outcome = row.run(context, args);
    SettleNewWindows(outcome.source);
    RecordCommand(app_, row, args, outcome);
    return outcome.source;
}

SourceView& SourceTemplate::MakeSourceWindow(int) {
    auto* frame = new CChildFrame(app_, *this);
    made_.append(frame);
    return frame->Model();
}

void SourceTemplate::SizeSourceWindow(SourceView& view, int number, WindowPurpose) {
    for (CChildFrame* frame : made_)
        if (&frame->Model() == &view) ShowNewFrame(*frame, number);
}

void SourceTemplate::SettleNewWindows(const SourceOutcome& outcome) {
    for (CChildFrame* frame : std::exchange(made_, {})) {
        if (outcome.keepWindow) {
            Adopt(frame);
        } else {
            delete frame;
        }
    }
}

void SourceTemplate::SyncFrameTable() {
    for (int n = 1; n <= 2; ++n) app_.SourceFrames[n] = Frame(n);
}

void SourceTemplate::SourcesChanged(const SourceOutcome& outcome) {
    SyncFrameTable();
    for (CChildFrame* f : Frames()) {
        f->Retitle();
        f->View().MirrorModel();
    }
    if (outcome.redrawMergeAlign && app_.MergeAlignFrame) {
        app_.MergeAlignFrame->update();
        for (QWidget* w : app_.MergeAlignFrame->findChildren<QWidget*>()) w->update();
    }
}

void SourceTemplate::Report(const SourceOutcome& outcome) {
    for (const std::string& m : outcome.messages) {
        // The bitmap reader's own refusal is a plain information box.
        const MessageIcon icon =
            m == kCantLoadFile ? MessageIcon::Information : MessageIcon::Warning;
        ShowMessage(QString::fromStdString(m), MessageButtons::Ok, icon);
    }
    SourceOutcome rest = outcome;
    rest.messages.clear();
    if (CDestview* dest = app_.DestView()) {
        dest->AfterSourceOutcome(rest);
    } else {
        SourcesChanged(rest);
        app_.StateChanged();
    }
}

}  // namespace wendral::app
