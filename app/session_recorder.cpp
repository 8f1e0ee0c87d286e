#include "app/session_recorder.h"

#include <QFileInfo>
#include <cstring>

#include "app/dest_window.h"
#include "app/wendral_app.h"
#include "core/script_words.h"
#include "io/bmp.h"
#include "io/picture_file.h"

namespace wendral::app {

namespace {

std::string Number(long long v) {
    return std::to_string(v);
}

}  // namespace

SessionRecorder::SessionRecorder(CWendralApp& app) : app_(app) {}
SessionRecorder::~SessionRecorder() = default;

QString SessionRecorder::Path() const {
    return file_ ? file_->fileName() : QString();
}

bool SessionRecorder::Start(const QString& path, QString* error) {
    Stop();
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) {
        if (error) *error = file->errorString();
        return false;
    }
    file_ = std::move(file);
    folder_ = QFileInfo(path).absoluteDir();
    pictures_ = 0;
    file_->write("# A Wendral session. Run it from this folder: wendral-batch ");
    file_->write(QFileInfo(path).fileName().toUtf8());
    file_->write("\n");
    StartingState();
    return true;
}

void SessionRecorder::Stop() {
    if (file_) file_->close();
    file_.reset();
}

std::string SessionRecorder::PathWord(const std::string& path) const {
    const QString absolute = QFileInfo(QString::fromStdString(path)).absoluteFilePath();
    const QString relative = folder_.relativeFilePath(absolute);
    return (relative.startsWith(QStringLiteral("..")) ? absolute : relative).toStdString();
}

std::string SessionRecorder::Beside(const PicturePacket& packet, const std::string& stem) {
    const QString base = QFileInfo(file_ ? file_->fileName() : QString()).completeBaseName();
    QString name;
    do {
        name = QStringLiteral("%1-%2-%3.bmp")
                   .arg(base)
                   .arg(QString::fromStdString(stem))
                   .arg(++pictures_);
    } while (folder_.exists(name));
    const std::vector<std::uint8_t> bytes = BmpFileOfPacket(packet);
    QFile out(folder_.filePath(name));
    if (out.open(QIODevice::WriteOnly))
        out.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return name.toStdString();
}

void SessionRecorder::Row(const CommandRow& row, Args args) {
    if (!Recording() || !row.word) return;
    std::vector<std::string> words{row.word};
    words.insert(words.end(), args.begin(), args.end());
    // Paths are named from the script's folder.
    if (row.id == kOpenSource || row.id == kSaveDestinationAs) words[1] = PathWord(words[1]);
    Words(std::move(words));
}

void SessionRecorder::Words(std::vector<std::string> words) {
    if (!Recording()) return;
    Write(words);
    // A script's line is one undo step: so is the action it stands for. The line is written as
    // soon as the engine has run, before the view redraws, so the whole picture is compared.
    if (CDestview* view = app_.DestView()) view->CommitStep(true);
}

void SessionRecorder::Write(const std::vector<std::string>& words) {
    file_->write(JoinScriptWords(words).c_str());
    file_->write("\n");
    file_->flush();
}

// The lines that bring a fresh session to where the application is now: the generator, each
// source as its window shows it, the merge settings, the destination, the reference colour,
// the zone with its levels, the lock and brushing, and the destination window's size.
void SessionRecorder::StartingState() {
    WendralState& s = app_.State();
    Write({"random", Number(s.Random.State())});
    for (int n = 1; n <= s.SourceCount && n <= 2; ++n) {
        const SourceView* view = s.SourceViews[n];
        if (!view) continue;
        // The file itself when it still gives this picture, else a copy of the picture.
        std::string picture;
        const std::string& path = view->Document.SourcePath;
        if (!path.empty()) {
            SourceDocument file;
            Messages ignored;
            const PicturePacket& held = view->Document.packet;
            if (LoadPictureFile(path, n, file, ignored) && file.packet.size() == held.size() &&
                std::memcmp(file.packet.data(), held.data(), held.size()) == 0)
                picture = PathWord(path);
        }
        if (picture.empty()) picture = Beside(view->Document.packet, "source" + Number(n));
        const ClientSize client = view->Client();
        Write({"open", picture, Number(client.cx), Number(client.cy)});
        if (view->WidthScale != 100 || view->HeightScale != 100)
            Write({"scale", Number(n), Number(view->WidthScale), Number(view->HeightScale)});
        const ScrollPoint at = view->ScrollPosition();
        Write({"scroll-to", Number(n), Number(at.x), Number(at.y)});
    }
    Write({"settings", Number(s.MergeMode), Number(s.MergeBias), Number(s.ContrastThreshold)});
    if (s.DestModified || s.DestLocked) {
        if (s.PicturePresent()) {
            const std::string picture = Beside(
                MakePicturePacket(s.DestWidth, s.DestHeight, s.DestinationStore()), "destination");
            const std::string base =
                Beside(MakePicturePacket(s.DestWidth, s.DestHeight, s.RestoreStore()), "base");
            Write({"destination", picture, base, Number(s.DestModified)});
        }
    } else if (s.SourceCount > 0) {
        Write({"restore"});
    }
    Write({"refcolour", Number(s.ReferenceColour.r), Number(s.ReferenceColour.g),
           Number(s.ReferenceColour.b)});
    if (CDestview* dest = app_.DestView()) {
        const Zone& z = dest->DestZone();
        if (z.HasZone() && s.BrushingEnabled == 0) {
            Write({"zone", Number(z.x1), Number(z.y1), Number(z.x2), Number(z.y2)});
            Write({"levels", Number(z.PortionLevel), Number(z.ColourLevel),
                   Number(z.HorizontalNudgeLevel), Number(z.VerticalNudgeLevel),
                   Number(z.ImplodeLevel), Number(static_cast<long long>(z.TwistLevel))});
        }
        Write({"view", Number(dest->width()), Number(dest->height())});
    }
    if (s.DestLocked) Write({"lock"});
}

void RecordCommand(CWendralApp& app, const CommandRow& row, Args args,
                   const CommandOutcome& outcome) {
    SessionRecorder& recorder = app.Recorder();
    if (!recorder.Recording() || outcome.source.heldBack || outcome.source.failed ||
        !outcome.refusal.empty() || outcome.zone == ZoneOutcome::AskZoneQuestion)
        return;
    std::vector<std::string> words(args.begin(), args.end());
    // The application runs "brushing on" or "dest-to 2" by their ids alone.
    if (row.firstArgument && (words.empty() || words[0] != row.firstArgument))
        words.insert(words.begin(), row.firstArgument);
    const WendralState& s = app.State();
    const bool made =
        row.id == kOpenSource || row.id == kNewSource || row.id == kDestinationToSource2;
    if (made && outcome.source.keepWindow && s.SourceCount >= 1 && s.SourceViews[s.SourceCount]) {
        const ClientSize client = s.SourceViews[s.SourceCount]->Client();
        words.push_back(Number(client.cx));
        words.push_back(Number(client.cy));
    }
    recorder.Row(row, words);
}

}  // namespace wendral::app
