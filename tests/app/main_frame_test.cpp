// The main frame's status panes, the overwrite question and saving through the dialog.
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include <QLabel>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include "app/background.h"
#include "app/commands.h"
#include "core/sources.h"
#include "dialogs/save_destination_dialog.h"
#include "io/save.h"
#include "source_test_support.h"

using namespace wendral;
using namespace wendral::app;
using namespace wendral::app::testing;

namespace {

// Where each pane of the status bar lies.
std::vector<QRect> PaneGeometries(QStatusBar& bar) {
    std::vector<QRect> panes;
    for (QWidget* w : bar.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible()) panes.push_back(w->geometry());
    std::sort(panes.begin(), panes.end(),
              [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
    return panes;
}

QWidget* ToolButton(QToolBar& bar, int id) {
    for (QAction* a : bar.actions())
        if (a->data().toInt() == id) return bar.widgetForAction(a);
    return nullptr;
}

void Hover(QWidget* widget, bool enter) {
    if (enter) {
        QEnterEvent event(QPointF(2, 2), QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(widget, &event);
    } else {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(widget, &event);
    }
}

QMenu* WindowMenu(AppFixture& f) {
    return f.frame().menuBar()->actions()[3]->menu();
}

}  // namespace

class MainFrameTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void panesOfAnEmptyDestination() {
        AppFixture f;
        f.state().DestLocked = 1;
        f.state().BrushingEnabled = 1;
        f.frame().RunIdleUpdate();
        QCOMPARE(f.frame().PaneText(0), QString("Ready"));
        QCOMPARE(f.frame().PaneText(1), QString("Dest. Unlocked"));
        QCOMPARE(f.frame().PaneText(2), QString("Empty destination window"));
        QCOMPARE(f.state().DestLocked, 0);
        QCOMPARE(f.state().BrushingEnabled, 0);
    }

    void theReadoutShowsTheSampleAndTheReference() {
        AppFixture f;
        f.AddSource(16, 8, Bgr{56, 34, 12});
        f.state().CursorSample = Point{3, 2};
        f.frame().RunIdleUpdate();
        QCOMPARE(f.frame().PaneText(2),
                 QString("RGB = 12 34 56  Average REF. Color RGB = 127 127 127"));
        f.state().CursorSample = Point{-1, 4};
        QCOMPARE(f.frame().ColourReadoutText(), QString("Cursor out of range."));
        // A sample left beyond a picture that has shrunk reads no pixel.
        f.state().CursorSample = Point{300, 2};
        QCOMPARE(f.frame().ColourReadoutText(), QString("Cursor out of range."));
        f.state().DestHeight = 0;
        f.state().CursorSample = Point{-1, -1};
        QCOMPARE(f.frame().ColourReadoutText(), QString("Empty destination window"));
    }

    void theSwatchShowsTheReferenceColour() {
        AppFixture f;
        f.AddSource(16, 8, Bgr{1, 1, 1});
        f.state().ReferenceColour = Bgr{10, 20, 30};
        f.frame().RunIdleUpdate();
        const QImage bar = f.frame().statusBar()->grab().toImage();
        // The swatch is the last pane, at the right end of the bar.
        bool found = false;
        for (int x = bar.width() - 1; x > bar.width() - 60 && !found; --x)
            found = bar.pixelColor(x, bar.height() / 2) == QColor(30, 20, 10);
        QVERIFY(found);
    }

    // While the pencil draws, pane 2 is painted with how far it has got, and nothing else runs:
    // a key waiting in the queue reaches no widget until the drawing is over.
    void thePencilShowsItsProgressAndLetsNothingElseRun() {
        AppFixture f;
        f.AddSource(400, 300, [](int x, int y) {
            return Bgr{std::uint8_t(x), std::uint8_t(y), std::uint8_t(x ^ y)};
        });
        f.ActivateDestination();
        f.frame().RunIdleUpdate();
        struct Watch : QObject {
            CMainFrame* frame = nullptr;
            bool drawing = false;
            QStringList shown;
            int keysWhileDrawing = 0;
            bool eventFilter(QObject* o, QEvent* e) override {
                if (!drawing) return false;
                if (e->type() == QEvent::KeyPress) ++keysWhileDrawing;
                const QString text = frame->PaneText(2);
                if (e->type() == QEvent::Paint && o->parent() == frame->statusBar() &&
                    (shown.isEmpty() || shown.last() != text))
                    shown << text;
                return false;
            }
        } watch;
        watch.frame = &f.frame();
        qApp->installEventFilter(&watch);
        QCoreApplication::postEvent(
            &f.view(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Period, Qt::NoModifier, "."));
        watch.drawing = true;
        QVERIFY(f.router().Execute(kPencilDraw));
        watch.drawing = false;
        qApp->removeEventFilter(&watch);

        QVERIFY2(watch.shown.size() >= 3, qPrintable(watch.shown.join(" | ")));
        QCOMPARE(watch.shown.last(), QString("Pencil Draw: 100%"));
        QCOMPARE(watch.keysWhileDrawing, 0);
        QVERIFY(!f.state().Progress);
        f.frame().RunIdleUpdate();
        QCOMPARE(f.frame().PaneText(2), f.frame().ColourReadoutText());
    }

    void theOverwriteQuestionIsAskedOncePerChange() {
        AppFixture f;
        f.AddSource(16, 8, Bgr{1, 2, 3});
        f.state().DestModified = 1;
        QVERIFY(!SourceChangeAllowed(f.state(), 1, kChangeScale));
        const int pending = f.state().PendingSourceChange;
        QVERIFY(pending != 0);
        {
            ScopedMessageHook messages(MessageAnswer::Yes);
            f.frame().RunIdleUpdate();
            f.frame().RunIdleUpdate();
            QCOMPARE(messages.Texts(), QStringList({kOverwriteQuestion, kOverwriteYes}));
            QCOMPARE(messages.Records()[0].buttons, MessageButtons::YesNo);
            QCOMPARE(messages.Records()[0].icon, MessageIcon::Stop);
            QCOMPARE(f.state().OverwriteConsent, 1);
        }
        // Consent lets the next change through.
        QVERIFY(SourceChangeAllowed(f.state(), 1, kChangeScale));

        // A different change is asked about again; No keeps the destination.
        f.state().DestModified = 1;
        f.state().OverwriteConsent = 0;
        f.state().PendingSourceChange = 0;
        {
            ScopedMessageHook messages;
            f.frame().RunIdleUpdate();
            QVERIFY(messages.Texts().isEmpty());
        }
        QVERIFY(!SourceChangeAllowed(f.state(), 1, kChangeFit));
        {
            ScopedMessageHook messages(MessageAnswer::No);
            f.frame().RunIdleUpdate();
            QCOMPARE(messages.Texts(), QStringList({kOverwriteQuestion, kOverwriteNo}));
            QCOMPARE(f.state().OverwriteConsent, 0);
        }
        QVERIFY(!SourceChangeAllowed(f.state(), 1, kChangeFit));
        QCOMPARE(f.frame().LastAskedChange, f.state().PendingSourceChange);
    }

    void promptsShowInPaneZeroWhichKeepsItsPlace() {
        AppFixture f;
        f.AddSource(16, 8, Bgr{1, 2, 3});
        QStatusBar& bar = *f.frame().statusBar();
        QApplication::processEvents();
        const std::vector<QRect> panes = PaneGeometries(bar);
        QCOMPARE(panes.front().width(), 200);

        QWidget* nudge = ToolButton(f.app().DestFrame()->ToolBar(), kNudgeDownward);
        QVERIFY(nudge);
        Hover(nudge, true);
        QApplication::processEvents();
        QCOMPARE(f.frame().PaneText(0), QString("Nudge downward in rectangle"));
        QCOMPARE(PaneGeometries(bar), panes);
        auto* prompt = qobject_cast<QLabel*>(bar.childAt(panes.front().center()));
        QVERIFY(prompt);
        QCOMPARE(prompt->text(), QString("Nudge downward in rectangle"));
        Hover(nudge, false);
        QCOMPARE(f.frame().PaneText(0), QString("Ready"));

        // A menu item's prompt, and "Ready" again once the menu is gone.
        QMenu* file = f.frame().menuBar()->actions()[0]->menu();
        file->popup(f.frame().mapToGlobal(QPoint(10, 10)));
        file->setActiveAction(f.router().Action(kOpenSource));
        QCOMPARE(f.frame().PaneText(0), QString("Open an existing source document"));
        QApplication::processEvents();
        QCOMPARE(PaneGeometries(bar), panes);
        file->hide();
        QApplication::processEvents();
        QCOMPARE(f.frame().PaneText(0), QString("Ready"));
    }

    // Arranging the windows must not resize a source window (which would rebuild the
    // destination, or ask to overwrite it) while the area has room for it.
    void arrangingKeepsTheSourceWindowsSizes_data() {
        QTest::addColumn<int>("command");
        QTest::newRow("cascade") << int(kCascade);
        QTest::newRow("tile horizontal") << int(kTileHorizontal);
        QTest::newRow("tile vertical") << int(kTileVertical);
    }

    void arrangingKeepsTheSourceWindowsSizes() {
        QFETCH(int, command);
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 400, 300));
        CChildFrame* source = Sources(f).Frame(1);
        // Wide and high enough that an equal share of the area would be smaller.
        const QSize area = f.frame().MdiArea().viewport()->size();
        source->resize(area.width() - 200, area.height() - 200);
        QApplication::processEvents();
        const QSize size = source->size();
        f.state().MarkDestModified();
        const int destWidth = f.state().DestWidth;
        ScopedMessageHook messages(MessageAnswer::No);
        QVERIFY(f.router().Execute(command));
        QApplication::processEvents();
        f.frame().RunIdleUpdate();
        QVERIFY(messages.Texts().isEmpty());
        QCOMPARE(source->size(), size);
        QCOMPARE(f.state().PendingSourceChange, 0);
        QCOMPARE(f.state().DestWidth, destWidth);
        QCOMPARE(f.state().DestModified, 1);
        const QList<QMdiSubWindow*> windows = f.frame().MdiArea().subWindowList();
        QCOMPARE(windows.size(), 2);
        for (QMdiSubWindow* w : windows) QVERIFY(QRect(QPoint(0, 0), area).contains(w->geometry()));
        if (command == kCascade) {
            // Overlapping by steps, each title in sight; the destination keeps its size too.
            QVERIFY(windows[0]->pos() != windows[1]->pos());
        } else {
            QVERIFY(!windows[0]->geometry().intersects(windows[1]->geometry()));
        }

        // An area too small for the window: then, and only then, it gives way.
        f.frame().resize(size.width() - 40, f.frame().height());
        QApplication::processEvents();
        QVERIFY(f.router().Execute(command));
        QVERIFY(source->width() < size.width());
        QVERIFY(source->width() <= f.frame().MdiArea().viewport()->width());
    }

    void theWindowMenuListsTheOpenWindows() {
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a&b.bmp", 16, 8));
        QMenu* menu = WindowMenu(f);
        for (int round = 0; round < 2; ++round) {  // listed anew, not twice, each time it opens
            emit menu->aboutToShow();
            const QList<QAction*> items = menu->actions();
            QCOMPARE(items.size(), 3 + 1 + 2);
            QVERIFY(items[3]->isSeparator());
            QCOMPARE(items[4]->text(), "&1 " + f.app().DestFrame()->windowTitle());
            QCOMPARE(items[5]->text(), QString("&2 Source 1        a&&b.bmp"));
            QVERIFY(!items[4]->isChecked());
            QVERIFY(items[5]->isChecked());
        }
        menu->actions()[4]->trigger();
        QCOMPARE(f.frame().MdiArea().activeSubWindow(),
                 static_cast<QMdiSubWindow*>(f.app().DestFrame()));
    }

    // Keys that reach the main window while one of its boxes is opening (pressed fast, or a
    // key's auto-repeat) are dropped: no second command starts inside the box.
    void keysDuringOurBoxStartNoCommand_data() {
        QTest::addColumn<bool>("fromACommand");
        QTest::newRow("a command's box") << true;
        QTest::newRow("the overwrite question") << false;
    }

    void keysDuringOurBoxStartNoCommand() {
        QFETCH(bool, fromACommand);
        AppFixture f;
        f.AddSource(64, 32, Bgr{1, 2, 3});
        int saveDialogs = 0;
        f.app().DestDoc()->SetSaveDialog([&] {
            ++saveDialogs;
            return std::optional<SaveDialogAnswer>();
        });
        bool pressed = false;
        ScopedMessageHook messages([&](const MessageRecord&) {
            if (!pressed) {
                pressed = true;
                for (int i = 0; i < 7; ++i) QTest::keyClick(&f.view(), Qt::Key_Left);
                QTest::keyClicks(&f.view(), "s.");
            }
            return MessageAnswer::No;
        });
        if (fromACommand) {
            // No zone: the first press asks about it.
            QTest::keyClick(&f.view(), Qt::Key_Left);
            QCOMPARE(messages.Texts(), QStringList({kZoneQuestion}));
        } else {
            f.state().MarkDestModified();
            QVERIFY(!SourceChangeAllowed(f.state(), 1, kChangeFit));
            f.frame().RunIdleUpdate();
            QCOMPARE(messages.Texts(), QStringList({kOverwriteQuestion, kOverwriteNo}));
        }
        QVERIFY(pressed);
        QCOMPARE(saveDialogs, 0);
        // Afterwards keys work again.
        messages.Clear();
        QTest::keyClick(&f.view(), Qt::Key_Left);
        QCOMPARE(messages.Texts(), QStringList({kZoneQuestion}));
    }

    void filterStringsBecomeQtFilters() {
        const QStringList filters = QtNameFilters(QString::fromStdString(SaveFilter()));
        QCOMPARE(filters.size(), 6);
        QCOMPARE(filters[0], QString("Bitmap Files (*.bmp)"));
        QCOMPARE(filters[5], QString("Pcx Files (*.pcx)"));
        QCOMPARE(QtNameFilters("Pictures|*.a;*.b||"), QStringList({"Pictures (*.a *.b)"}));
    }

    void saveWritesEachFormat_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QByteArray>("magic");
        QTest::newRow("bmp") << "pic.bmp" << 1 << "pic.bmp" << QByteArray("BM");
        QTest::newRow("upper BMP") << "MyPic.BMP" << 2 << "MyPic.BMP" << QByteArray("BM");
        QTest::newRow("jpg by filter") << "MyPic" << 2 << "MyPic.jpg" << QByteArray("\xff\xd8");
        QTest::newRow("png") << "pic" << 3 << "pic.png" << QByteArray("\x89PNG");
        QTest::newRow("PNG upper") << "pic.PNG" << 1 << "pic.PNG" << QByteArray("\x89PNG");
        QTest::newRow("tif") << "pic" << 4 << "pic.tif" << QByteArray("II");
        QTest::newRow("tga") << "pic.tga" << 1 << "pic.tga" << QByteArray();
        QTest::newRow("pcx") << "pic" << 6 << "pic.pcx" << QByteArray("\x0a");
        QTest::newRow("gif gets bmp") << "pic.gif" << 1 << "pic.gif.bmp" << QByteArray("BM");
    }

    void saveWritesEachFormat() {
        QFETCH(QString, name);
        QFETCH(int, filter);
        QFETCH(QString, written);
        QFETCH(QByteArray, magic);
        AppFixture f;
        f.AddSource(644, 10, [](int x, int y) { return Bgr{std::uint8_t(x), std::uint8_t(y), 9}; });
        QTemporaryDir dir;
        CDestdoc& doc = *f.app().DestDoc();
        doc.SetSaveDialog([&] {
            return std::optional<SaveDialogAnswer>({dir.filePath(name), filter});
        });
        ScopedMessageHook messages;
        QTest::keyClicks(&f.view(), "s");
        QVERIFY(messages.Texts().isEmpty());
        QCOMPARE(doc.SavedName, written);
        QCOMPARE(doc.SavedPath, dir.filePath(written));
        QFile file(dir.filePath(written));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith(magic));
        if (magic == "BM") QCOMPARE(bytes.size(), 54 + 19320);
    }

    void cancellingWritesNothingAndEmptiesTheName() {
        AppFixture f;
        f.AddSource(16, 8, Bgr{1, 2, 3});
        CDestdoc& doc = *f.app().DestDoc();
        doc.SavedPath = "/earlier/path.bmp";
        doc.SavedName = "path.bmp";
        doc.SetSaveDialog([] { return std::optional<SaveDialogAnswer>(); });
        QVERIFY(f.router().Execute(kSaveDestinationAs));
        QVERIFY(doc.SavedName.isEmpty());
        QCOMPARE(doc.SavedPath, QString("/earlier/path.bmp"));
    }

    void aFailedSaveIsReported() {
        AppFixture f;
        f.AddSource(16, 8, Bgr{1, 2, 3});
        CDestdoc& doc = *f.app().DestDoc();
        doc.SetSaveDialog([] {
            return std::optional<SaveDialogAnswer>({"/nonexistent-dir/x.png", 3});
        });
        ScopedMessageHook messages;
        QVERIFY(f.router().Execute(kSaveDestinationAs));
        QCOMPARE(messages.Texts(), QStringList({kCodecSaveError}));
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
