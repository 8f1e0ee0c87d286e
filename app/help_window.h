#pragma once
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QString>
#include <QTextBrowser>
#include <QUrl>

#include "core/dest_state.h"
#include "core/zone.h"

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace wendral::app {

// The program's help: HTML pages built into the program (data/help, under ":/help"), shown in
// one help window that every help command reuses. Topic numbers, which the commands choose
// from the state, map to pages here.

inline constexpr const char* kHelpWindowTitle = "Wendral Help";
inline constexpr const char* kHotKeyHelpFailed = "Problem with hot key help !";
inline constexpr const char* kPopUpHelpFailed = "Problem with pop up help !";
inline constexpr const char* kLaunchHelpFailed = "Failed to launch help.";

inline constexpr const char* kContentsPage = "index.html";
inline constexpr const char* kZonePage = "zone.html";
// Its table of keys is made at run time from the command vocabulary.
inline constexpr const char* kKeysPage = "keys.html";

// The help key: in the destination window it asks "What now", in a source window it explains
// that window.
inline constexpr QKeySequence::StandardKey kHelpKey = QKeySequence::HelpContents;

enum HelpTopic : int {
    kTopicNoSource = 110,
    kTopicOneSource = 111,
    kTopicTwoSources = 112,
    kTopicSourceButtons = 113,
    kTopicTwoSourceButtons = 114,
    kTopicBrushing = 115,
    kTopicModified = 116,
    kTopicZone = 117,
};

// The page of `topic` ("page.html" or "page.html#part"); empty for a topic without one.
QString HelpTopicPage(int topic);
// "What now" and the help key over the destination: the first of brushing, changes of the
// destination's own, a zone, then the number of sources.
int WhatNowTopic(const WendralState& state, const Zone& zone);
// "Explain these buttons" and the help key over a source window.
int SourceWindowTopic(const WendralState& state);

// Where the pages are looked for: the built-in ones unless a test points elsewhere (a folder,
// as a file URL ending in "/").
QUrl HelpRoot();
void SetHelpRoot(const QUrl& root);
bool HelpPageExists(const QString& page);

class HelpWindow;

// Shows `page` in the help window, made as a window of `owner` (the main frame) the first time
// and reused afterwards. False, with nothing shown, when the page cannot be found.
bool ShowHelp(const QString& page, QWidget* owner);
bool ShowHelpTopic(int topic, QWidget* owner);
// The help window, if one is open.
HelpWindow* CurrentHelpWindow();

// The keys of the command vocabulary as the rows of a table: keys, what they do, where.
QString KeysTableHtml();

// Shows the pages: reads them from the help root, fills in the keys page, and draws the
// toolbar buttons a page shows (<img src="button:ID">) from the buttons' own images.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
  public:
    explicit HelpBrowser(QWidget* parent = nullptr);
    QVariant loadResource(int type, const QUrl& name) override;
};

// The help window: contents and search on the left, the page on the right, back, forward and
// contents in its toolbar.
class HelpWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit HelpWindow(QWidget* owner);

    // Shows `page` (relative to the help root, with or without "#part").
    void Open(const QString& page);
    // Brings the contents back to the left side (a help command asks for a page anew).
    void ShowContents();
    // The page shown, relative to the help root, with its "#part" if it has one.
    QString CurrentPage() const;
    HelpBrowser& Browser() { return *browser_; }

    // The pages listed in the contents, in order, as links relative to the help root.
    QStringList ContentsPages() const;

    struct Hit {
        QString page;
        QString title;
        int count;
    };
    // The pages whose text holds `text` (ignoring case), in contents order.
    QList<Hit> Search(const QString& text) const;
    // Runs the search of the search tab with `text` and lists its hits there.
    void SearchFor(const QString& text);
    // Finds the next place of the search text in the page shown; false when there is none.
    bool FindNext(bool backwards = false);

  private:
    void BuildContents();
    void ShowHit(int row);
    void SelectInContents(const QUrl& url);
    void HighlightSearched();

    HelpBrowser* browser_;
    QTabWidget* tabs_;
    QTreeWidget* contents_;
    QLineEdit* searchField_;
    QListWidget* hits_;
    QString searched_;
};

}  // namespace wendral::app
