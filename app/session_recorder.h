#pragma once
#include <QDir>
#include <QFile>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "core/command_table.h"
#include "core/picture_packet.h"

namespace wendral::app {

class CWendralApp;

// Writes what the user does as a wendral-batch script while a recording runs: every action
// that reaches the engine becomes its line as it happens, flushed at once, so that a crash
// loses nothing and the script replays to the same bytes. Each line ends one undo step, as a
// script's line does.
class SessionRecorder {
  public:
    explicit SessionRecorder(CWendralApp& app);
    ~SessionRecorder();
    SessionRecorder(const SessionRecorder&) = delete;
    SessionRecorder& operator=(const SessionRecorder&) = delete;

    // Starts a script at `path`. Its first lines bring a session to the state the application
    // is in now. False, with the reason, when the file cannot be written.
    bool Start(const QString& path, QString* error = nullptr);
    void Stop();
    bool Recording() const { return file_ != nullptr; }
    QString Path() const;

    // A command of the table, as it ran with `args`.
    void Row(const CommandRow& row, Args args);
    // A line of words: the batch word, then its arguments.
    void Words(std::vector<std::string> words);
    // A picture that no file holds (a pasted one, a source changed in the windows): written as a
    // BMP beside the script; returns the word that names it there.
    std::string Beside(const PicturePacket& packet, const std::string& stem);
    // A file's path as the script names it: relative to the script's folder when inside it.
    std::string PathWord(const std::string& path) const;

  private:
    void StartingState();
    void Write(const std::vector<std::string>& words);

    CWendralApp& app_;
    std::unique_ptr<QFile> file_;
    QDir folder_;
    int pictures_ = 0;
};

// Writes a command that ran into the recorded session, if one runs: nothing when it changed
// nothing (a question held it back, a refusal, the zone question) or failed; a source window
// it made is given its size.
void RecordCommand(CWendralApp& app, const CommandRow& row, Args args,
                   const CommandOutcome& outcome);

}  // namespace wendral::app
