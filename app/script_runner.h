#pragma once
#include <QString>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace wendral::app {

class CWendralApp;

// Runs one script line in the windows, as wendral-batch would run it: the command its first
// word names, with its arguments, through the destination view. A change the overwrite guard
// holds back goes ahead, as the script asked for it. The failure's text, or nothing.
std::optional<std::string> RunScriptWords(CWendralApp& app, const std::vector<std::string>& words);

// "Run Script...": the script's lines in turn, with a progress dialog over `parent`; stops at
// the first failing line and shows its line number and message. False when a line failed or
// the file could not be read.
bool RunScriptFile(CWendralApp& app, const QString& path, QWidget* parent);

}  // namespace wendral::app
