#include "app/script_runner.h"

#include <QFile>
#include <QProgressDialog>

#include "app/dest_window.h"
#include "app/wendral_app.h"
#include "core/command_table.h"
#include "core/script_words.h"
#include "dialogs/message_service.h"

namespace wendral::app {

namespace {

// Words of wendral-batch that report on its output or stand for the windows' own size: the
// windows have these already.
bool WindowsOwnWord(const std::string& word) {
    return word == "info" || word == "pixel" || word == "view";
}

}  // namespace

std::optional<std::string> RunScriptWords(CWendralApp& app, const std::vector<std::string>& words) {
    if (words.empty() || WindowsOwnWord(words[0])) return std::nullopt;
    CDestview* view = app.DestView();
    const std::vector<std::string> args(words.begin() + 1, words.end());
    const CommandRow* row = FindCommandWord(words[0], args);
    if (!view || !row || !row->run) return "unknown command: " + words[0];
    if (!row->argumentsOk(args)) return "bad arguments: " + JoinScriptWords(words);
    const std::string name = ScriptName(*row);
    if (const std::optional<std::string> why = Unavailability(app.State(), row->needs))
        return name + ": " + *why;
    CommandOutcome outcome = view->Perform(*row, args);
    if (outcome.throughSources && outcome.source.heldBack) {
        app.State().OverwriteConsent = 1;
        outcome = view->Perform(*row, args);
    }
    const Messages failure = ScriptFailure(name, outcome);
    // The failure is told once, in the script's message; the view shows the rest of the outcome.
    outcome.source.messages.clear();
    if (outcome.zone == ZoneOutcome::AskZoneQuestion) outcome.zone = ZoneOutcome::Nothing;
    view->Present(*row, outcome);
    if (failure.empty()) return std::nullopt;
    std::string text;
    for (const std::string& m : failure) text += (text.empty() ? "" : "\n") + m;
    return text;
}

bool RunScriptFile(CWendralApp& app, const QString& path, QWidget* parent) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ShowMessage(
            QStringLiteral("The script \"%1\" cannot be read: %2").arg(path, file.errorString()));
        return false;
    }
    const QByteArray text = file.readAll();
    const std::vector<ScriptLine> lines =
        SplitScript(std::string_view(text.constData(), std::size_t(text.size())));
    QProgressDialog progress(QStringLiteral("Running %1").arg(path), QStringLiteral("Stop"), 0,
                             int(lines.size()), parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        progress.setValue(int(i));
        if (progress.wasCanceled()) return false;
        if (const std::optional<std::string> failure =
                RunScriptWords(app, SplitScriptWords(lines[i].text))) {
            progress.reset();
            ShowMessage(QStringLiteral("Line %1: %2")
                            .arg(lines[i].line)
                            .arg(QString::fromStdString(*failure)));
            return false;
        }
    }
    progress.setValue(int(lines.size()));
    return true;
}

}  // namespace wendral::app
