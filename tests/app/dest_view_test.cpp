// The destination window: drawing, the zone by mouse, keys, sampling, lock and restore.
#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QPaintEvent>
#include <QRegion>
#include <QStandardPaths>
#include <QTest>
#include <cstring>
#include <utility>

#include "app/commands.h"
#include "app/help_window.h"
#include "app_test_support.h"
#include "core/sources.h"

using namespace wendral;
using namespace wendral::app;
using wendral::app::testing::AppFixture;
using wendral::app::testing::PaintRecorder;

namespace {

Bgr Gradient(int x, int y) {
    return Bgr{std::uint8_t(x * 3), std::uint8_t(y * 5), std::uint8_t((x + y) & 0xff)};
}

QByteArray Store(const WendralState& s) {
    return QByteArray(reinterpret_cast<const char*>(s.DestinationStore()),
                      qsizetype(s.DestBytes()));
}

// The first pixel where the view's image and DestinationStore part, or (-1, -1).
QPoint FirstDifference(const QImage& shown, const WendralState& s) {
    if (shown.width() != s.DestWidth || shown.height() != s.DestHeight) return QPoint(0, 0);
    for (int y = 0; y < s.DestHeight; ++y)
        for (int x = 0; x < s.DestWidth; ++x) {
            const Bgr want = s.DestPixel(x, y);
            if (shown.pixel(x, y) != qRgb(want.r, want.g, want.b)) return QPoint(x, y);
        }
    return QPoint(-1, -1);
}

}  // namespace

class DestViewTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void anEmptyDestinationShowsItsTwoLines() {
        AppFixture f;
        f.view().DropStartupHelp();
        const QImage shown = f.view().grab().toImage();
        QCOMPARE(shown.pixelColor(shown.width() - 3, shown.height() - 3), QColor(176, 192, 223));
        QCOMPARE(f.state().DestWidth, 0);
        QCOMPARE(f.state().DestHeight, 0);
        QCOMPARE(f.app().DestFrame()->windowTitle(), QString("Destination Window"));
        // Some text is drawn near (10, 10).
        bool dark = false;
        for (int y = 10; y < 30 && !dark; ++y)
            for (int x = 10; x < 120 && !dark; ++x) dark = shown.pixelColor(x, y).lightness() < 100;
        QVERIFY(dark);
    }

    void thePictureIsShownOneToOneWithHatchedMargins() {
        AppFixture f;
        f.AddSource(40, 20, Gradient);
        const QImage shown = f.view().grab().toImage();
        for (QPoint p : {QPoint(0, 0), QPoint(39, 0), QPoint(0, 19), QPoint(17, 11)}) {
            const Bgr want = f.state().DestPixel(p.x(), p.y());
            QCOMPARE(shown.pixelColor(p), QColor(want.r, want.g, want.b));
        }
        // The margins hold only the hatch colour and white.
        bool hatch = false;
        for (int x = 41; x < 80; ++x) {
            const QColor c = shown.pixelColor(x, 5);
            QVERIFY(c == QColor(32, 64, 143) || c == QColor(Qt::white));
            hatch = hatch || c == QColor(32, 64, 143);
        }
        QVERIFY(hatch);
    }

    void partialRedrawsKeepThePictureInStep() {
        AppFixture f;
        f.AddSource(40, 20, Bgr{10, 10, 10});
        f.view().grab();
        std::memset(f.state().DestinationStore() + f.state().DestOffset(5, 7), 200, 3);
        f.view().RedrawDestination(QRect(5, 7, 1, 1));
        QCOMPARE(f.view().grab().toImage().pixelColor(5, 7), QColor(200, 200, 200));
    }

    // A press converts only the zone's rows, yet the shown image stays the picture: every
    // distortion must keep to its zone. Whole-picture changes convert everything again.
    void distortionPressesConvertOnlyTheZone() {
        AppFixture f;
        f.AddSource(300, 200, Gradient);
        f.view().grab();
        QCOMPARE(FirstDifference(f.view().ShownImage(), f.state()), QPoint(-1, -1));
        // Corners in reverse order, the zone hanging over the right edge: 60 rows in the picture.
        f.zone().x1 = 340;
        f.zone().y1 = 99;
        f.zone().x2 = 210;
        f.zone().y2 = 40;
        const QByteArray base = Store(f.state());
        ScopedMessageHook messages;
        const int presses[] = {kExplode,    kExplode,       kNudgeUpward, kNudgeUpward,
                               kTwistRight, kImplode,       kDiverge,     kConverge,
                               kNudgeLeft,  kNudgeDownward, kNudgeRight,  kTwistLeft};
        PaintRecorder painted(f.view());
        QApplication::processEvents();  // what the new source asked for
        for (int id : presses) {
            const long long before = f.view().ConvertedRows();
            painted.Take();
            QVERIFY(f.router().Execute(id));
            QApplication::processEvents();
            QCOMPARE(painted.Take(), QRegion(210, 40, 90, 60));
            QCOMPARE(f.view().ConvertedRows() - before, 60LL);
            QCOMPARE(FirstDifference(f.view().ShownImage(), f.state()), QPoint(-1, -1));
        }
        QVERIFY(messages.Texts().isEmpty());
        QVERIFY(Store(f.state()) != base);

        const long long before = f.view().ConvertedRows();
        QVERIFY(f.router().Execute(kFlip));
        f.view().grab();
        QCOMPARE(f.view().ConvertedRows() - before, 200LL);
        QCOMPARE(FirstDifference(f.view().ShownImage(), f.state()), QPoint(-1, -1));
        // What reaches the screen inside the zone is the store too.
        const QImage screen = f.view().grab().toImage();
        const Bgr want = f.state().DestPixel(250, 70);
        QCOMPARE(screen.pixelColor(250, 70), QColor(want.r, want.g, want.b));
    }

    // Only what the window exposes is converted; the rest waits until it is shown or asked for.
    void aRedrawConvertsOnlyWhatShows() {
        AppFixture f;
        f.AddSource(300, 200, Gradient);
        QMdiSubWindow* frame = f.app().DestFrame();
        frame->showNormal();
        frame->resize(frame->width() - f.view().width() + 120,
                      frame->height() - f.view().height() + 70);
        QApplication::processEvents();
        QCOMPARE(f.view().size(), QSize(120, 70));
        std::memset(f.state().DestinationStore(), 90, f.state().DestBytes());
        const long long before = f.view().ConvertedRows();
        f.view().RedrawDestination();
        QApplication::processEvents();
        QCOMPARE(f.view().ConvertedRows() - before, 70LL);
        QCOMPARE(f.view().grab().toImage().pixelColor(119, 69), QColor(90, 90, 90));
        QCOMPARE(FirstDifference(f.view().ShownImage(), f.state()), QPoint(-1, -1));
        QVERIFY(f.view().ConvertedRows() - before > 70);
    }

    void aPressWithoutAZoneConvertsNothing() {
        AppFixture f;
        f.AddSource(64, 48, Gradient);
        f.view().grab();
        const long long before = f.view().ConvertedRows();
        const QByteArray store = Store(f.state());
        {
            ScopedMessageHook messages(MessageAnswer::No);
            QVERIFY(f.router().Execute(kExplode));
            QCOMPARE(messages.Texts().size(), 1);
        }
        f.view().grab();
        QCOMPARE(f.view().ConvertedRows(), before);
        QCOMPARE(Store(f.state()), store);
    }

    void aDraggedZoneEndsInsideThePicture() {
        AppFixture f;
        f.AddSource(40, 20, Gradient);
        f.Drag(QPoint(30, 5), QPoint(300, 200));
        QCOMPARE(f.zone().x1, 30);
        QCOMPARE(f.zone().y1, 5);
        QCOMPARE(f.zone().x2, 39);
        QCOMPARE(f.zone().y2, 19);
        QCOMPARE(f.app().DestFrame()->windowTitle(), QString("Destination Window"));
        // A press beyond the picture puts the anchor on its last column and row.
        f.Drag(QPoint(100, 100), QPoint(2, 3));
        QCOMPARE(f.zone().x1, 39);
        QCOMPARE(f.zone().y1, 19);
        QCOMPARE(f.zone().x2, 2);
        QCOMPARE(f.zone().y2, 3);
    }

    void theRubberBandFollowsThePointerWhileDragging() {
        AppFixture f;
        f.AddSource(40, 20, Gradient);
        QTest::mousePress(&f.view(), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        QMouseEvent move(QEvent::MouseMove, QPointF(20, 300),
                         f.view().mapToGlobal(QPointF(20, 300)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&f.view(), &move);
        QCOMPARE(f.view().RubberBandRect(),
                 std::optional<QRect>(QRect(QPoint(4, 4), QPoint(20, 19))));
        // The corners do not change while moving.
        QCOMPARE(f.zone().y2, 4);
        QTest::mouseRelease(&f.view(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 300));
        QVERIFY(!f.view().RubberBandRect());
    }

    // The zone keeps its dotted band on the screen after the release and after each press, but
    // nothing of it reaches the picture.
    void theZoneStaysOutlinedOnTheScreenOnly() {
        AppFixture f;
        f.AddSource(40, 20, Gradient);
        f.Drag(QPoint(5, 4), QPoint(30, 15));
        ScopedMessageHook messages;
        for (const char* keys : {"", "..."}) {
            QTest::keyClicks(&f.view(), keys);
            const QImage screen = f.view().grab().toImage();
            int black = 0, white = 0;
            for (int x = 5; x < 30; ++x) {
                const QRgb c = screen.pixel(x, 4);
                black += c == qRgb(0, 0, 0);
                white += c == qRgb(255, 255, 255);
            }
            QCOMPARE(black + white, 25);
            QVERIFY(black > 5 && white > 5);
            QCOMPARE(FirstDifference(f.view().ShownImage(), f.state()), QPoint(-1, -1));
        }
        const PicturePacket packet = f.app().DestFrame()->Document().MakePacket();
        QCOMPARE(std::memcmp(packet.data() + PicturePacket::kHeaderSize,
                             f.state().DestinationStore(), f.state().DestBytes()),
                 0);
    }

    void aClickLeavesNoZoneAndTheDistortionsAsk() {
        AppFixture f;
        f.AddSource(40, 20, Gradient);
        f.Click(QPoint(10, 10));
        QVERIFY(!f.zone().HasZone());
        QCOMPARE(f.app().DestFrame()->windowTitle(), QString("Destination Window  <no zone set>"));
        const QByteArray before = Store(f.state());
        ScopedMessageHook messages(MessageAnswer::No);
        QTest::keyClicks(&f.view(), ".");
        QTest::keyClick(&f.view(), Qt::Key_Left);
        QCOMPARE(messages.Texts(), QStringList({kZoneQuestion, kZoneQuestion}));
        QCOMPARE(messages.Records()[0].buttons, MessageButtons::YesNo);
        QCOMPARE(Store(f.state()), before);
        QCOMPARE(f.state().DestModified, 1);
        QCOMPARE(f.app().DestFrame()->windowTitle(),
                 QString("Destination Window  <modified>  <no zone set>"));
        // Yes shows the zone's help page.
        ScopedMessageHook yes(MessageAnswer::Yes);
        QTest::keyClicks(&f.view(), ",");
        QCOMPARE(yes.Texts(), QStringList({kZoneQuestion}));
        QVERIFY(CurrentHelpWindow() && CurrentHelpWindow()->isVisible());
        QCOMPARE(CurrentHelpWindow()->CurrentPage(), QString("zone.html"));
    }

    void aThinZoneCountsOnlyWithHeight() {
        AppFixture f;
        f.AddSource(40, 20, Gradient);
        f.Drag(QPoint(10, 2), QPoint(10, 12));
        QVERIFY(f.zone().HasZone());
        f.Drag(QPoint(2, 8), QPoint(30, 8));
        QVERIFY(!f.zone().HasZone());
    }

    void keysRunTheDistortionsAndTheirOpposites() {
        AppFixture f;
        f.AddSource(64, 48, Gradient);
        const QByteArray base = Store(f.state());
        f.Drag(QPoint(8, 8), QPoint(50, 40));
        ScopedMessageHook messages;
        QTest::keyClicks(&f.view(), "...");
        QCOMPARE(f.zone().ImplodeLevel, 3);
        QVERIFY(Store(f.state()) != base);
        QTest::keyClicks(&f.view(), ",,,");
        QCOMPARE(Store(f.state()), base);
        QTest::keyClicks(&f.view(), ">");
        QCOMPARE(f.zone().TwistLevel, 1.0);
        QCOMPARE(f.zone().ImplodeLevel, 0);
        QTest::keyClicks(&f.view(), "<");
        QCOMPARE(Store(f.state()), base);
        QTest::keyClick(&f.view(), Qt::Key_Up);
        QCOMPARE(f.zone().VerticalNudgeLevel, 1);
        QTest::keyClick(&f.view(), Qt::Key_Down);
        QCOMPARE(f.zone().VerticalNudgeLevel, 0);
        QTest::keyClick(&f.view(), Qt::Key_Left);
        QCOMPARE(f.zone().HorizontalNudgeLevel, 1);
        QTest::keyClick(&f.view(), Qt::Key_Up, Qt::ControlModifier);
        QCOMPARE(f.zone().ColourLevel, 1);
        QCOMPARE(f.zone().HorizontalNudgeLevel, 0);
        QVERIFY(messages.Texts().isEmpty());
        // Capitals are not the commands.
        QTest::keyClicks(&f.view(), "F");
        QCOMPARE(f.zone().ColourLevel, 1);
    }

    void flipTwiceGivesThePictureBack() {
        AppFixture f;
        f.AddSource(64, 48, Gradient);
        const QByteArray base = Store(f.state());
        QTest::keyClicks(&f.view(), "f");
        QCOMPARE(f.state().DestPixel(0, 3), Gradient(63, 3));
        QTest::keyClicks(&f.view(), "f");
        QCOMPARE(Store(f.state()), base);
    }

    void rightDraggingAveragesTheReferenceColour() {
        AppFixture f;
        f.AddSource(40, 20, Bgr{10, 20, 30});
        f.Drag(QPoint(3, 3), QPoint(12, 9), Qt::RightButton);
        QCOMPARE(f.state().ReferenceColour, (Bgr{10, 20, 30}));
        QCOMPARE(f.state().CursorSample, (Point{12, 9}));
        f.frame().RunIdleUpdate();
        QCOMPARE(f.frame().PaneText(2),
                 QString("RGB = 30 20 10  Average REF. Color RGB = 30 20 10"));
        // A right click outside the picture puts the cursor out of range.
        f.Click(QPoint(200, 200), Qt::RightButton);
        f.frame().RunIdleUpdate();
        QCOMPARE(f.frame().PaneText(2), QString(kCursorOutOfRange));
    }

    void rightReleaseKeepsTheZoneButStartsAFreshBase() {
        AppFixture f;
        f.AddSource(64, 48, Gradient);
        f.Drag(QPoint(8, 8), QPoint(50, 40));
        QTest::keyClicks(&f.view(), "..");
        QCOMPARE(f.zone().ImplodeLevel, 2);
        f.Click(QPoint(20, 20), Qt::RightButton);
        QCOMPARE(f.zone().ImplodeLevel, 0);
        QCOMPARE(f.zone().x1, 8);
        QCOMPARE(f.zone().y2, 40);
    }

    void lockKeepsTheDestinationAndRestoreRebuildsIt() {
        AppFixture f;
        SourceView& source = f.AddSource(64, 48, Gradient);
        QVERIFY(f.router().Execute(kLockDestination));
        QCOMPARE(f.state().DestLocked, 1);
        f.frame().RunIdleUpdate();
        QCOMPARE(f.frame().PaneText(1), QString("Dest. Locked"));
        QTest::keyClicks(&f.view(), "f");
        const QByteArray flipped = Store(f.state());
        // A source change leaves a locked destination alone.
        QVERIFY(!EmptySourceWindow(f.state(), f.zone(), source.SourceNumber).heldBack);
        QCOMPARE(Store(f.state()), flipped);
        // Restore rebuilds once, and the lock stays.
        QTest::keyClick(&f.view(), Qt::Key_Backspace);
        QCOMPARE(f.state().DestLocked, 1);
        QCOMPARE(f.state().DestModified, 0);
        QVERIFY(Store(f.state()) != flipped);
        QVERIFY(f.router().Execute(kLockDestination));
        f.frame().RunIdleUpdate();
        QCOMPARE(f.frame().PaneText(1), QString("Dest. Unlocked"));
    }

    void brushingPaintsTheSourceBack() {
        AppFixture f;
        f.AddSource(64, 48, Bgr{0, 0, 200});
        f.Drag(QPoint(10, 10), QPoint(30, 30));
        QTest::keyClicks(&f.view(), "f");  // a flat picture flips to itself; change it instead
        std::memset(f.state().DestinationStore(), 0, f.state().DestBytes());
        f.view().RedrawDestination();
        f.Drag(QPoint(10, 10), QPoint(30, 30));
        QTest::keyClicks(&f.view(), "b");
        QCOMPARE(f.state().BrushingEnabled, 1);
        f.Drag(QPoint(32, 24), QPoint(33, 24));
        QCOMPARE(f.state().DestPixel(33, 24), (Bgr{0, 0, 200}));
        QCOMPARE(f.view().grab().toImage().pixelColor(33, 24), QColor(200, 0, 0));
        QCOMPARE(f.state().DestPixel(2, 2), (Bgr{0, 0, 0}));
        // The right button needs a second source.
        ScopedMessageHook messages;
        f.Drag(QPoint(32, 24), QPoint(34, 24), Qt::RightButton);
        QCOMPARE(messages.Texts(), QStringList({kNoSource2Message}));
    }
};

QTEST_MAIN(DestViewTest)
#include "dest_view_test.moc"
