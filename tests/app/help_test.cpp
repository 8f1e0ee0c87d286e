// The program's help: which page each help command opens, the keys page against the
// accelerators, the messages of missing pages, and the pages' own links and pictures.
#include <QAction>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>
#include <QTreeWidget>

#include "app/commands.h"
#include "app/help_window.h"
#include "app/source_window.h"
#include "app_test_support.h"
#include "source_test_support.h"

using namespace wendral;
using namespace wendral::app;
using namespace wendral::app::testing;

namespace {

QString ShownPage() {
    HelpWindow* window = CurrentHelpWindow();
    return window && window->isVisible() ? window->CurrentPage() : QString();
}

// Every help window the application has made, shown or not.
int HelpWindows() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets()) n += qobject_cast<HelpWindow*>(w) != nullptr;
    return n;
}

// The user clicks the main window again after the help window came up.
void BackToTheMainWindow(AppFixture& f) {
    QApplication::processEvents();
    QApplication::setActiveWindow(&f.frame());
    QApplication::processEvents();
}

// The help pages looked for in an empty folder while alive.
class MissingPages {
  public:
    MissingPages() { SetHelpRoot(QUrl::fromLocalFile(dir_.path() + QLatin1Char('/'))); }
    ~MissingPages() { SetHelpRoot(QUrl(QStringLiteral("qrc:/help/"))); }

  private:
    QTemporaryDir dir_;
};

// Each row of a rendered table as its cells' texts.
QList<QStringList> TableRows(const QTextDocument& doc) {
    QList<QStringList> rows;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QTextTable* table = QTextCursor(b).currentTable();
        if (!table || table->cellAt(QTextCursor(b)).row() != 0 ||
            table->cellAt(QTextCursor(b)).column() != 0)
            continue;
        for (int r = 0; r < table->rows(); ++r) {
            QStringList cells;
            for (int c = 0; c < table->columns(); ++c) {
                const QTextTableCell cell = table->cellAt(r, c);
                QTextCursor at = cell.firstCursorPosition();
                at.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
                cells << at.selectedText()
                             .replace(QChar::ObjectReplacementCharacter, QString())
                             .simplified();
            }
            rows << cells;
        }
    }
    return rows;
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void whatNowOpensThePageOfTheState_data() {
        QTest::addColumn<int>("sources");
        QTest::addColumn<bool>("zone");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("brushing");
        QTest::addColumn<QString>("page");
        // The first row of the topic table that holds decides.
        QTest::newRow("brushing") << 2 << true << true << true << "brushing.html";
        QTest::newRow("modified") << 1 << true << true << false << "changes.html";
        QTest::newRow("zone") << 2 << true << false << false << "zone.html";
        QTest::newRow("no source") << 0 << false << false << false << "getting_started.html";
        QTest::newRow("one source") << 1 << false << false << false << "destination.html";
        QTest::newRow("two sources") << 2 << false << false << false << "merging.html";
    }

    void whatNowOpensThePageOfTheState() {
        QFETCH(int, sources);
        QFETCH(bool, zone);
        QFETCH(bool, modified);
        QFETCH(bool, brushing);
        QFETCH(QString, page);
        AppFixture f;
        for (int n = 0; n < sources; ++n) f.AddSource(40, 30, Bgr{10, 20, 30});
        if (zone) f.Drag(QPoint(4, 4), QPoint(30, 20));
        f.state().DestModified = modified ? 1 : 0;
        f.state().BrushingEnabled = brushing ? 1 : 0;
        ScopedMessageHook messages;
        QVERIFY(f.Enabled(kWhatNow));
        QVERIFY(f.router().Execute(kWhatNow));
        QCOMPARE(ShownPage(), page);
        // The help key over the destination makes the same choice.
        QVERIFY(ShowHelp(kKeysPage, &f.frame()));
        BackToTheMainWindow(f);
        f.ActivateDestination();
        QTest::keyClick(&f.view(), Qt::Key_F1);
        QCOMPARE(ShownPage(), page);
        QCOMPARE(messages.Texts(), QStringList());
    }

    void eachHelpCommandOpensItsPage() {
        AppFixture f;
        QTemporaryDir dir;
        ScopedMessageHook messages;
        QVERIFY(f.router().Execute(kHelp));
        QCOMPARE(ShownPage(), QString("index.html"));
        // A minimised help window comes back.
        CurrentHelpWindow()->showMinimized();
        QVERIFY(f.router().Execute(kHotKeys));
        QCOMPARE(ShownPage(), QString("keys.html"));
        QVERIFY(!CurrentHelpWindow()->isMinimized());

        // The zone question's Yes.
        QVERIFY(OpenThroughCommand(f, WritePicture(QDir(dir.path()), "one.bmp", 16, 8)));
        BackToTheMainWindow(f);
        f.ActivateDestination();
        QTest::keyClicks(&f.view(), ".");
        QCOMPARE(messages.Texts(), QStringList({kZoneQuestion}));
        QCOMPARE(ShownPage(), QString("zone.html"));

        // "Explain these buttons" and the help key in a source window, with one and two sources.
        QVERIFY(RunInSource(f, 1, kExplainButtons));
        QCOMPARE(ShownPage(), QString("sources.html#buttons"));
        QVERIFY(OpenThroughCommand(f, WritePicture(QDir(dir.path()), "two.bmp", 16, 8)));
        QVERIFY(RunInSource(f, 2, kExplainButtons));
        QCOMPARE(ShownPage(), QString("sources.html#two-sources"));
        QVERIFY(ShowHelp(kContentsPage, &f.frame()));
        BackToTheMainWindow(f);
        f.frame().BringToTop(Sources(f).Frame(2));
        QApplication::processEvents();
        QTest::keyClick(&Sources(f).Frame(2)->View(), Qt::Key_F1);
        QCOMPARE(ShownPage(), QString("sources.html#two-sources"));

        // One window served them all.
        QCOMPARE(HelpWindows(), 1);
        QCOMPARE(CurrentHelpWindow()->windowTitle(), QString("Wendral Help"));
        QCOMPARE(messages.Texts(), QStringList({kZoneQuestion}));
    }

    void theKeysPageListsEveryAccelerator() {
        AppFixture f;
        QVERIFY(f.router().Execute(kHotKeys));
        QMap<QString, QStringList> byKey;  // key -> the rows' descriptions
        for (const QStringList& row : TableRows(*CurrentHelpWindow()->Browser().document())) {
            if (row.size() != 3) continue;
            // A typed character may be followed by its name: ", (comma)".
            for (const QString& key : row[0].split(QStringLiteral(" or ")))
                byKey[key.section(QStringLiteral(" ("), 0, 0)] << row[1];
        }
        int checked = 0;
        for (const CommandInfo& info : AllCommands()) {
            const QString what = QString::fromUtf8(info.prompt).section('\n', 0, 0).trimmed();
            // The keys the application has really bound, and the characters it takes as typed.
            QStringList keys;
            for (const QKeySequence& k : f.router().Action(info.id)->shortcuts())
                keys << k.toString(QKeySequence::NativeText);
            for (const QChar c : QString::fromUtf8(info.typed ? info.typed : ""))
                if (CommandRouter::TypedCommand(c) == info.id) keys << c;
            for (const QString& key : keys) {
                QVERIFY2(byKey.value(key).contains(what), qPrintable(key + " " + what));
                ++checked;
            }
        }
        QVERIFY(checked >= 30);
        QVERIFY(byKey.contains(QKeySequence(kHelpKey).toString(QKeySequence::NativeText)));
    }

    void missingPagesAreReportedByTheirCommands() {
        AppFixture f;
        QTemporaryDir dir;
        QVERIFY(OpenThroughCommand(f, WritePicture(QDir(dir.path()), "one.bmp", 16, 8)));
        f.ActivateDestination();
        MissingPages missing;
        ScopedMessageHook messages;
        // Help says nothing and shows nothing.
        QVERIFY(f.router().Execute(kHelp));
        QCOMPARE(messages.Texts(), QStringList());
        QVERIFY(f.router().Execute(kHotKeys));
        QVERIFY(f.router().Execute(kWhatNow));
        QTest::keyClicks(&f.view(), ".");
        QVERIFY(RunInSource(f, 1, kExplainButtons));
        QCOMPARE(
            messages.Texts(),
            QStringList({"Problem with hot key help !", "Problem with pop up help !", kZoneQuestion,
                         "Problem with pop up help !", "Failed to launch help."}));
        QCOMPARE(HelpWindows(), 0);
    }

    void everyLinkAndPictureOfThePagesIsThere() {
        AppFixture f;
        QVERIFY(ShowHelp(kContentsPage, &f.frame()));
        HelpWindow& window = *CurrentHelpWindow();
        const QStringList pages = window.ContentsPages();
        QVERIFY(pages.size() >= 12);
        const QRegularExpression reference(QStringLiteral("(?:href|src)=\"([^\"]+)\""));
        QStringList checked;
        for (const QString& link : pages) {
            window.Open(link);
            QCOMPARE(window.CurrentPage(), link);
            const QString page = link.section('#', 0, 0);
            if (checked.contains(page)) continue;
            checked << page;
            QTextDocument& doc = *window.Browser().document();
            QVERIFY2(!doc.metaInformation(QTextDocument::DocumentTitle).isEmpty(),
                     qPrintable(page));
            QFile file(":/help/" + page);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString html = QString::fromUtf8(file.readAll());
            for (auto m = reference.globalMatch(html); m.hasNext();) {
                const QString target = m.next().captured(1);
                if (target.startsWith("http") || target.startsWith("button:")) continue;
                const QString file = target.section('#', 0, 0);
                const QString part = target.section('#', 1);
                QVERIFY2(file.isEmpty() || HelpPageExists(file), qPrintable(page + ": " + target));
                if (part.isEmpty()) continue;
                QTextDocument linked;
                QFile linkedFile(":/help/" + (file.isEmpty() ? page : file));
                QVERIFY(linkedFile.open(QIODevice::ReadOnly));
                QVERIFY2(QString::fromUtf8(linkedFile.readAll()).contains("name=\"" + part + "\""),
                         qPrintable(page + ": " + target));
            }
        }
    }

    void theSearchFindsThePagesThatMentionAWord() {
        AppFixture f;
        QVERIFY(ShowHelp(kContentsPage, &f.frame()));
        HelpWindow& window = *CurrentHelpWindow();
        QStringList pages;
        for (const HelpWindow::Hit& hit : window.Search("merge-align")) pages << hit.page;
        QVERIFY(pages.contains("merging.html"));
        QVERIFY(!pages.contains("zone.html"));
        QVERIFY(window.Search("no such word anywhere").isEmpty());
        // Choosing the search shows the first page found, its first place selected.
        window.SearchFor("merge-align");
        QCOMPARE(window.CurrentPage().section('#', 0, 0),
                 window.Search("merge-align").first().page);
        QCOMPARE(window.Browser().textCursor().selectedText().toLower(), QString("merge-align"));
        QVERIFY(window.FindNext());
    }
};

QTEST_MAIN(HelpTest)
#include "help_test.moc"
