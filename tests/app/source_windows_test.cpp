// Source windows: opening each format, the two-source rule, numbering, titles, scrolling and
// resizing as source changes, the overwrite guard, the outline, and the transfers.
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPaintEvent>
#include <QRegion>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QUrl>
#include <utility>

#include "app/background.h"
#include "app/commands.h"
#include "app/pixel_rows.h"
#include "core/sources.h"
#include "io/picture_file.h"
#include "source_test_support.h"

using namespace wendral;
using namespace wendral::app;
using namespace wendral::app::testing;

namespace {

QByteArray Store(const WendralState& s) {
    return QByteArray(reinterpret_cast<const char*>(s.DestinationStore()),
                      qsizetype(s.DestBytes()));
}

// The destination as one source's SourcePixels would make it.
bool DestinationShows(const WendralState& s, const SourceView& v) {
    for (int y = 0; y < s.DestHeight; ++y)
        for (int x = 0; x < s.DestWidth; ++x)
            if (!(s.DestPixel(x, y) == ShownPixel(v, x, y))) return false;
    return true;
}

// Where the window's stored image and a fresh painting of the source view first part, in view
// coordinates, or (-1, -1): what scrolling kept must be what painting would give.
QPoint FirstStaleScreenPixel(CWendralView& view) {
    QApplication::processEvents();
    QWidget* port = view.viewport();
    const QRect visible = port->visibleRegion().boundingRect();
    if (visible.isEmpty()) return QPoint(0, 0);
    const QPoint at = port->mapTo(port->window(), visible.topLeft());
    const QImage screen =
        QGuiApplication::primaryScreen()
            ->grabWindow(port->window()->winId(), at.x(), at.y(), visible.width(), visible.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    const QImage fresh = port->grab(visible).toImage().convertToFormat(QImage::Format_RGB32);
    if (screen.size() != fresh.size()) return QPoint(0, 0);
    for (int y = 0; y < fresh.height(); ++y)
        for (int x = 0; x < fresh.width(); ++x)
            if (screen.pixel(x, y) != fresh.pixel(x, y)) return visible.topLeft() + QPoint(x, y);
    return QPoint(-1, -1);
}

void CloseFrame(CChildFrame* frame) {
    frame->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QAction* ToolAction(QToolBar& bar, int id) {
    for (QAction* a : bar.actions())
        if (a->data().toInt() == id) return a;
    return nullptr;
}

}  // namespace

class SourceWindowsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings().clear(); }

    void eachFormatOpensThroughTheOpenCommand_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("exact");
        QTest::newRow("bmp") << "pic.bmp" << true;
        QTest::newRow("jpg") << "pic.jpg" << false;
        QTest::newRow("JPG upper") << "PIC.JPG" << false;
        QTest::newRow("png") << "pic.png" << true;
        QTest::newRow("tif") << "pic.tif" << true;
        QTest::newRow("tga") << "pic.tga" << true;
        QTest::newRow("pcx") << "pic.pcx" << true;
    }

    void eachFormatOpensThroughTheOpenCommand() {
        QFETCH(QString, name);
        QFETCH(bool, exact);
        QTemporaryDir dir;
        const QString path = WritePicture(QDir(dir.path()), name, 40, 30, [](int, int) {
            return Bgr{40, 90, 160};
        });
        AppFixture f;
        ScopedMessageHook messages;
        QVERIFY(OpenThroughCommand(f, path));
        QVERIFY(messages.Texts().isEmpty());
        QCOMPARE(f.state().SourceCount, 1);
        CChildFrame* frame = Sources(f).Frame(1);
        QVERIFY(frame);
        QCOMPARE(f.app().SourceFrames[1].data(), static_cast<QMdiSubWindow*>(frame));
        QCOMPARE(frame->windowTitle(), "Source 1        " + name);
        QCOMPARE(frame->Model().Document.PictureWidth, 40);
        QCOMPARE(frame->Model().Document.PictureHeight, 30);
        QCOMPARE(f.app().RecentFiles().value(0), path);
        QCOMPARE(f.app().DestView()->ShowingStartupHelp, 0);

        // The destination is what the window's client area shows: the picture at the top left.
        const QSize client = frame->View().viewport()->size();
        QCOMPARE(f.state().DestHeight, client.height());
        QCOMPARE(f.state().DestWidth, DestinationWidthFor(client.width()));
        QVERIFY(DestinationShows(f.state(), frame->Model()));
        const Bgr inside = f.state().DestPixel(5, 5);
        if (exact)
            QVERIFY(inside == (Bgr{40, 90, 160}));
        else
            QVERIFY(std::abs(inside.b - 40) < 6 && std::abs(inside.g - 90) < 6 &&
                    std::abs(inside.r - 160) < 6);
        QVERIFY(f.state().DestPixel(45, 5) == (Bgr{255, 255, 255}));
    }

    void aFileThatIsNoPictureLeavesNoWindow() {
        QTemporaryDir dir;
        AppFixture f;
        for (const QString& name : {QString("pic.jpeg"), QString("missing.bmp")}) {
            ScopedMessageHook messages;
            QVERIFY(OpenThroughCommand(f, dir.filePath(name)));
            QCOMPARE(messages.Texts().last(), QString(kNotAPictureFile));
            QCOMPARE(f.state().SourceCount, 0);
            QVERIFY(Sources(f).Frames().isEmpty());
        }
        // A BMP that is no bitmap: its reader's own box carries the information icon.
        QFile bad(dir.filePath("bad.bmp"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("XXnot a bitmap at all");
        bad.close();
        ScopedMessageHook messages;
        OpenThroughCommand(f, bad.fileName());
        QCOMPARE(messages.Texts(), QStringList({kCantLoadFile, kNotAPictureFile}));
        QCOMPARE(messages.Records()[0].icon, MessageIcon::Information);
        QVERIFY(f.app().RecentFiles().isEmpty());
    }

    void aThirdSourceIsRefusedAndTheTwoKeepTheirPictures() {
        QTemporaryDir dir;
        const QDir d(dir.path());
        AppFixture f;
        OpenThroughCommand(f, WritePicture(d, "a.bmp", 16, 8));
        OpenThroughCommand(f, WritePicture(d, "b.png", 20, 8));
        QCOMPARE(f.state().SourceCount, 2);
        const PicturePacket one = Sources(f).Frame(1)->Model().Document.packet;
        const PicturePacket two = Sources(f).Frame(2)->Model().Document.packet;

        int dialogs = 0;
        Sources(f).SetOpenDialog([&] {
            ++dialogs;
            return std::optional<QString>(d.filePath("a.bmp"));
        });
        ScopedMessageHook messages;
        QVERIFY(f.router().Execute(kOpenSource));
        QCOMPARE(dialogs, 0);
        QVERIFY(f.router().Execute(kNewSource));
        QCOMPARE(messages.Texts(), QStringList({kTwoSourcesMessage, kTwoSourcesMessage}));
        QCOMPARE(Sources(f).Frames().size(), 2);
        QVERIFY(Sources(f).Frame(1)->Model().Document.packet == one);
        QVERIFY(Sources(f).Frame(2)->Model().Document.packet == two);
    }

    void closingSourceOneRenumbersSourceTwo() {
        QTemporaryDir dir;
        const QDir d(dir.path());
        AppFixture f;
        OpenThroughCommand(f, WritePicture(d, "a.bmp", 16, 8));
        OpenThroughCommand(f, WritePicture(d, "dog.png", 20, 12, [](int, int) {
                               return Bgr{1, 2, 3};
                           }));
        CChildFrame* second = Sources(f).Frame(2);
        // The second window starts as large as the first.
        QCOMPARE(second->size(), Sources(f).Frame(1)->size());

        CloseFrame(Sources(f).Frame(1));
        QCOMPARE(f.state().SourceCount, 1);
        QCOMPARE(Sources(f).Frame(1), second);
        QCOMPARE(second->SourceNumber(), 1);
        QCOMPARE(f.state().SourceViews[1], &second->Model());
        QCOMPARE(f.app().SourceFrames[1].data(), static_cast<QMdiSubWindow*>(second));
        QVERIFY(!f.app().SourceFrames[2]);
        QCOMPARE(second->windowTitle(), QString("Source1        it was Source 2        dog.png"));
        // Rebuilt from what remains, and marked modified so that its next change asks first.
        QVERIFY(DestinationShows(f.state(), second->Model()));
        QCOMPARE(f.state().DestModified, 1);

        CloseFrame(second);
        QCOMPARE(f.state().SourceCount, 0);
        QCOMPARE(f.state().DestWidth, 0);
        QCOMPARE(f.state().DestModified, 0);
        QVERIFY(Sources(f).Frames().isEmpty());
    }

    void aNewSourceNeverLandsOnAnother() {
        QTemporaryDir dir;
        const QDir d(dir.path());
        AppFixture f;
        OpenThroughCommand(f, WritePicture(d, "a.bmp", 16, 8));
        OpenThroughCommand(f, WritePicture(d, "b.bmp", 16, 8));
        CloseFrame(Sources(f).Frame(1));
        OpenThroughCommand(f, WritePicture(d, "c.bmp", 16, 8));
        QCOMPARE(f.state().SourceCount, 2);
        const QList<QMdiSubWindow*> windows = f.frame().MdiArea().subWindowList();
        QCOMPARE(windows.size(), 3);
        for (QMdiSubWindow* a : windows)
            for (QMdiSubWindow* b : windows)
                if (a != b)
                    QVERIFY2(a->pos() != b->pos(),
                             qPrintable(a->windowTitle() + " / " + b->windowTitle()));
    }

    // Each frame's toolbar shows what its own view allows, whichever window is active; a click
    // on an inactive window's button activates it and runs the command there.
    void eachToolbarFollowsItsOwnFrame() {
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 400, 300));
        CChildFrame* source = Sources(f).Frame(1);
        QToolBar& sourceBar = source->ToolBar();
        QToolBar& destBar = f.app().DestFrame()->ToolBar();

        f.ActivateDestination();
        f.frame().RunIdleUpdate();
        QVERIFY(!f.router().Action(kTopLeftJustify)->isEnabled());
        for (int id : {kSetScale, kTopLeftJustify, kScaleToFit, kEmptySource})
            QVERIFY2(ToolAction(sourceBar, id)->isEnabled(), qPrintable(QString::number(id)));
        QVERIFY(!ToolAction(sourceBar, kSynchroniseSize)->isEnabled());
        QVERIFY(ToolAction(destBar, kNudgeLeft)->isEnabled());

        f.frame().BringToTop(source);
        QApplication::processEvents();
        f.frame().RunIdleUpdate();
        QVERIFY(!f.router().Action(kNudgeLeft)->isEnabled());
        QVERIFY(ToolAction(destBar, kNudgeLeft)->isEnabled());
        QVERIFY(ToolAction(destBar, kFlip)->isEnabled());
        QVERIFY(ToolAction(sourceBar, kTopLeftJustify)->isEnabled());

        QScrollBar* h = source->View().horizontalScrollBar();
        h->setValue(h->value() + 60);
        f.ActivateDestination();
        QTest::mouseClick(sourceBar.widgetForAction(ToolAction(sourceBar, kTopLeftJustify)),
                          Qt::LeftButton);
        QCOMPARE(f.frame().MdiArea().activeSubWindow(), static_cast<QMdiSubWindow*>(source));
        QCOMPARE(source->Model().ScrollPosition(), source->Model().PictureOrigin);
    }

    // The arrows are the nudge keys; in a source, where nudging is off, they do nothing (no
    // scroll, so no overwrite question either).
    void arrowKeysDoNothingInASource() {
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 400, 300));
        CChildFrame* source = Sources(f).Frame(1);
        f.state().MarkDestModified();
        f.frame().BringToTop(source);
        QApplication::processEvents();
        source->View().setFocus();
        const ScrollPoint at = source->Model().ScrollPosition();
        ScopedMessageHook messages;
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up, Qt::Key_Down})
            QTest::keyClick(&source->View(), key);
        f.frame().RunIdleUpdate();
        QCOMPARE(source->Model().ScrollPosition(), at);
        QCOMPARE(f.state().PendingSourceChange, 0);
        QVERIFY(messages.Texts().isEmpty());
    }

    void aRecentFileThatFailsToOpenLeavesTheList() {
        QTemporaryDir dir;
        const QDir d(dir.path());
        const QString a = WritePicture(d, "a.bmp", 16, 8);
        const QString b = WritePicture(d, "b.bmp", 16, 8);
        AppFixture f;
        f.app().AddRecentFile(a);
        f.app().AddRecentFile(d.filePath("gone.bmp"));
        {
            ScopedMessageHook messages;
            QVERIFY(f.router().Execute(kRecentFile1));
            QCOMPARE(messages.Texts(), QStringList({kNotAPictureFile}));
        }
        QCOMPARE(f.app().RecentFiles(), QStringList({a}));
        QCOMPARE(QSettings().value("Recent File List/Files").toStringList(), QStringList({a}));

        // With two sources open a third file is not even tried: its entry stays.
        OpenThroughCommand(f, a);
        OpenThroughCommand(f, WritePicture(d, "c.bmp", 16, 8));
        f.app().AddRecentFile(b);
        ScopedMessageHook messages;
        QVERIFY(f.router().Execute(kRecentFile1));
        QCOMPARE(messages.Texts(), QStringList({kTwoSourcesMessage}));
        QCOMPARE(f.app().RecentFiles().first(), b);
    }

    void newSourcesAreWhiteAndUntitled() {
        AppFixture f;
        QVERIFY(f.router().Execute(kNewSource));
        CChildFrame* blank = Sources(f).Frame(1);
        QVERIFY(blank);
        QCOMPARE(blank->windowTitle(), QString("Source 1        (untitled)"));
        // The first rebuild sizes the destination from the window; the white picture follows.
        QVERIFY(f.state().DestWidth > 0);
        QCOMPARE(blank->Model().Document.PictureWidth, f.state().DestWidth);
        for (QPoint p : {QPoint(0, 0), QPoint(f.state().DestWidth - 1, f.state().DestHeight - 1)})
            QVERIFY(f.state().DestPixel(p.x(), p.y()) == (Bgr{255, 255, 255}));

        // A second blank source takes the destination's size, white.
        QVERIFY(f.router().Execute(kNewSource));
        CChildFrame* second = Sources(f).Frame(2);
        QCOMPARE(second->windowTitle(), QString("Source 2        (untitled)"));
        QCOMPARE(second->Model().Document.PictureWidth, f.state().DestWidth);
        ScopedMessageHook messages;
        QVERIFY(RunInSource(f, 2, kReloadSource));
        QCOMPARE(messages.Texts(), QStringList({kNoFileToReload}));
    }

    void theScrollBarsMirrorTheModelAndScrollTheDestination() {
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 400, 300));
        CChildFrame* frame = Sources(f).Frame(1);
        CWendralView& view = frame->View();
        SourceView& model = frame->Model();
        QScrollBar* h = view.horizontalScrollBar();
        QCOMPARE(h->maximum(), int(model.ScrollRange().x));
        QCOMPARE(h->pageStep(), int(model.PageStep().x));
        QCOMPARE(h->singleStep(), int(model.LineStep().x));
        QCOMPARE(h->value(), int(model.PictureOrigin.x));

        h->setValue(h->value() + 100);
        QCOMPARE(model.ScrollPosition().x, model.PictureOrigin.x + 100);
        QCOMPARE(model.LastScrollPosition, model.ScrollPosition());
        QVERIFY(f.state().DestPixel(0, 0) == Pattern(100, 0));

        // A resize lays the view out keeping the picture where it is in the window.
        frame->resize(frame->width() + 30, frame->height());
        QCOMPARE(model.Client().cx, view.viewport()->width());
        QVERIFY(f.state().DestPixel(0, 0) == Pattern(100, 0));
        QCOMPARE(f.state().DestWidth, DestinationWidthFor(view.viewport()->width()));

        QVERIFY(RunInSource(f, 1, kTopLeftJustify));
        QVERIFY(f.state().DestPixel(0, 0) == Pattern(0, 0));
        QCOMPARE(h->value(), int(model.PictureOrigin.x));
    }

    // Where the window cannot take rows straight, a scroll shifts what it already shows and
    // paints only the strip that comes into view, where that gives exactly what painting
    // everything would: rows at any scale, columns at 100 %. Everything else, and anything
    // pending, repaints; and where rows go straight, a scroll repaints the whole view.
    void scrollingPaintsOnlyWhatComesIntoView() {
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 1200, 900));
        CChildFrame* frame = Sources(f).Frame(1);
        CWendralView& view = frame->View();
        SourceView& model = frame->Model();
        QScrollBar* h = view.horizontalScrollBar();
        QScrollBar* v = view.verticalScrollBar();
        PaintRecorder painted(*view.viewport());
        QCOMPARE(FirstStaleScreenPixel(view), QPoint(-1, -1));
        const int width = model.SourceShownWidth;
        const int line = v->singleStep();
        QVERIFY(line > 0 && line < model.SourceShownHeight);
        const bool straight = PaintsStraight(*view.viewport());
        const auto strip = [&](const QRect& uncovered) {
            return straight ? QRegion(view.viewport()->rect()) : QRegion(uncovered);
        };

        painted.Take();
        v->setValue(v->value() + line);
        QApplication::processEvents();
        QCOMPARE(painted.Take(), strip(QRect(0, model.SourceShownHeight - line, width, line)));
        QCOMPARE(FirstStaleScreenPixel(view), QPoint(-1, -1));
        painted.Take();
        h->setValue(h->value() - 3);
        QApplication::processEvents();
        QCOMPARE(painted.Take(), strip(QRect(0, 0, 3, model.SourceShownHeight)));
        QCOMPARE(FirstStaleScreenPixel(view), QPoint(-1, -1));

        // The picture's edges and the white beyond them come into view too.
        for (int step = 0; step < 12; ++step) v->setValue(v->value() - 5 * line);
        for (int step = 0; step < 6; ++step) h->setValue(h->value() - 7 * line);
        QCOMPARE(FirstStaleScreenPixel(view), QPoint(-1, -1));

        // Scaled: rows still shift exactly; columns do not, so a sideways scroll repaints.
        QVERIFY(model.SetScales(37, 150));
        model.LayoutSourceView(true);
        view.MirrorModel();
        h->setValue(int(model.PictureOrigin.x) + 41);
        v->setValue(int(model.PictureOrigin.y) + 13);
        QCOMPARE(FirstStaleScreenPixel(view), QPoint(-1, -1));
        for (int step = 0; step < 8; ++step) {
            painted.Take();
            v->setValue(v->value() + line + step);
            QApplication::processEvents();
            const QRegion got = painted.Take();
            QVERIFY(straight || got.boundingRect().height() <= line + step);
            QCOMPARE(FirstStaleScreenPixel(view), QPoint(-1, -1));
        }
        painted.Take();
        h->setValue(h->value() + 5);
        QApplication::processEvents();
        QVERIFY((QRegion(0, 0, model.SourceShownWidth, model.SourceShownHeight) - painted.Take())
                    .isEmpty());
        QCOMPARE(FirstStaleScreenPixel(view), QPoint(-1, -1));

        // A repaint still pending when the scroll comes is not lost.
        view.viewport()->update(QRect(10, 10, 50, 50));
        v->setValue(v->value() - 2 * line);
        QCOMPARE(FirstStaleScreenPixel(view), QPoint(-1, -1));
    }

    void theGuardHoldsAChangeBackUntilTheUserAgrees() {
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 400, 300));
        CChildFrame* frame = Sources(f).Frame(1);
        SourceView& model = frame->Model();
        QScrollBar* h = frame->View().horizontalScrollBar();
        f.state().MarkDestModified();
        std::memset(f.state().DestinationStore(), 7, 30);
        const QByteArray changed = Store(f.state());
        const ScrollPoint at = model.ScrollPosition();

        // No: the scroll is held back, the bar goes back, the destination keeps its changes.
        {
            ScopedMessageHook no(MessageAnswer::No);
            h->setValue(h->value() + 50);
            QCOMPARE(model.ScrollPosition(), at);
            QCOMPARE(h->value(), int(at.x));
            QCOMPARE(f.state().PendingSourceChange, 1 * 256 + kChangeScrollHorizontal);
            f.frame().RunIdleUpdate();
            QCOMPARE(no.Texts(), QStringList({kOverwriteQuestion, kOverwriteNo}));
            h->setValue(h->value() + 50);
            f.frame().RunIdleUpdate();
            QCOMPARE(no.Texts().size(), 2);
            QCOMPARE(Store(f.state()), changed);
        }
        // A different change is asked about; Yes lets the repeated change through.
        {
            ScopedMessageHook yes(MessageAnswer::Yes);
            QVERIFY(RunInSource(f, 1, kScaleToFit));
            QCOMPARE(f.state().PendingSourceChange, 1 * 256 + kChangeFit);
            QCOMPARE(model.WidthScale, 100);
            f.frame().RunIdleUpdate();
            QCOMPARE(yes.Texts(), QStringList({kOverwriteQuestion, kOverwriteYes}));
            QVERIFY(RunInSource(f, 1, kScaleToFit));
            QVERIFY(model.WidthScale != 100);
            QCOMPARE(f.state().DestModified, 0);
            QCOMPARE(f.state().OverwriteConsent, 0);
            QVERIFY(DestinationShows(f.state(), model));
        }
        // A held-back resize changes the window but not the view's layout.
        f.state().MarkDestModified();
        const ScrollPoint area = model.ScrollArea();
        frame->resize(frame->width() + 40, frame->height());
        QCOMPARE(model.ScrollArea(), area);
        QCOMPARE(f.state().PendingSourceChange, 1 * 256 + kChangeResize);
    }

    void theLeftButtonOutlinesTheOtherSourcesClientArea() {
        QTemporaryDir dir;
        const QDir d(dir.path());
        AppFixture f;
        OpenThroughCommand(f, WritePicture(d, "a.bmp", 16, 8));
        CWendralView& one = Sources(f).Frame(1)->View();
        QTest::mousePress(one.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QVERIFY(!one.Outline());
        QTest::mouseRelease(one.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));

        OpenThroughCommand(f, WritePicture(d, "b.bmp", 16, 8));
        CChildFrame* two = Sources(f).Frame(2);
        two->resize(two->width() - 100, two->height() - 60);
        const SourceView& other = two->Model();
        QTest::mousePress(one.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QCOMPARE(one.Outline(),
                 std::optional<QRect>(QRect(0, 0, other.Client().cx, other.Client().cy)));
        QCOMPARE(one.MarkPosition(), Sources(f).Frame(1)->Model().ScrollPosition());
        const QImage shown = one.viewport()->grab().toImage();
        QCOMPARE(shown.pixelColor(other.Client().cx - 1, 40).lightness() < 128 ||
                     shown.pixelColor(other.Client().cx - 1, 41).lightness() < 128,
                 true);
        QTest::mouseRelease(one.viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
        QVERIFY(!one.Outline());
    }

    void theWindowShowsWhatItFeedsTheDestination() {
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 64, 48));
        CWendralView& view = Sources(f).Frame(1)->View();
        const QImage shown = view.viewport()->grab().toImage();
        for (QPoint p : {QPoint(0, 0), QPoint(63, 47), QPoint(30, 20), QPoint(100, 10)}) {
            const Bgr want = ShownPixel(view.Model(), p.x(), p.y());
            QCOMPARE(shown.pixelColor(p), QColor(want.r, want.g, want.b));
        }
        // With a second picture the whole frame can be looked at: WENDRAL_SCREENSHOT names the
        // file.
        OpenThroughCommand(
            f, WritePicture(QDir(dir.path()), "b.png", 200, 120, [](int x, int y) {
                return Bgr{std::uint8_t(255 - x), std::uint8_t(y * 2), std::uint8_t(x)};
            }));
        QCOMPARE(f.state().SourceCount, 2);
        if (const QByteArray shot = qgetenv("WENDRAL_SCREENSHOT"); !shot.isEmpty()) {
            QTest::qWait(200);
            QVERIFY(f.frame().grab().save(QString::fromLocal8Bit(shot)));
        }
    }

    void recentAndDroppedFilesOpenAsSources() {
        QTemporaryDir dir;
        const QDir d(dir.path());
        const QString a = WritePicture(d, "a.bmp", 16, 8);
        const QString b = WritePicture(d, "b.tga", 16, 8);
        AppFixture f;
        f.app().AddRecentFile(a);
        QVERIFY(f.router().Execute(kRecentFile1));
        QCOMPARE(f.state().SourceCount, 1);
        // A file a source already holds is only brought to the front.
        QVERIFY(f.router().Execute(kRecentFile1));
        QCOMPARE(f.state().SourceCount, 1);

        auto* data = new QMimeData;
        data->setUrls({QUrl::fromLocalFile(b)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.frame(), &enter);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&f.frame(), &drop);
        delete data;
        QCOMPARE(f.state().SourceCount, 2);
        QCOMPARE(Sources(f).Frame(2)->windowTitle(), QString("Source 2        b.tga"));
    }

    void destinationToSourceTwoMakesTheSecondWindow() {
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 64, 48));
        std::memset(f.state().DestinationStore(), 9, 3 * std::size_t(f.state().DestWidth));
        f.state().MarkDestModified();
        const int w = f.state().DestWidth, h = f.state().DestHeight;
        const QByteArray former = Store(f.state());
        f.ActivateDestination();
        QVERIFY(f.router().Execute(kDestinationToSource2));
        QCOMPARE(f.state().SourceCount, 2);
        CChildFrame* two = Sources(f).Frame(2);
        QVERIFY(two);
        QCOMPARE(two->windowTitle(), QString("Source 2        (untitled)"));
        QCOMPARE(two->Model().Document.PictureWidth, w);
        QCOMPARE(two->Model().Document.PictureHeight, h);
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(two->Model().Document.packet.data()) + 40,
                            qsizetype(former.size())),
                 former);
        QCOMPARE(two->Model().WidthScale, 100);
    }
};

QTEST_MAIN(SourceWindowsTest)
#include "source_windows_test.moc"
