// The merge-align window: the overlay and its strips, aligning by dragging, the empty window,
// and the rule of one window at most.
#include <QApplication>
#include <QMdiSubWindow>
#include <QStandardPaths>
#include <QTest>

#include "app/background.h"
#include "app/commands.h"
#include "app/merge_align_window.h"
#include "app_test_support.h"
#include "core/sources.h"

using namespace wendral;
using namespace wendral::app;
using wendral::app::testing::AppFixture;

namespace {

Bgr First(int x, int y) {
    return Bgr{std::uint8_t(x * 5), std::uint8_t(y * 3), std::uint8_t(x + y)};
}
Bgr Second(int x, int y) {
    return Bgr{std::uint8_t(255 - x), std::uint8_t(x * y), std::uint8_t(y * 7 + 1)};
}

CMergeChild* OpenMergeAlign(AppFixture& f) {
    if (!f.router().Execute(kMergeAlign)) return nullptr;
    QApplication::processEvents();
    return dynamic_cast<CMergeChild*>(f.app().MergeAlignFrame.data());
}

Bgr Shown(const SourceView& v, int x, int y) {
    const std::uint8_t* p = v.Image().At(x, y);
    return Bgr{p[0], p[1], p[2]};
}

QByteArray Store(const WendralState& s) {
    return QByteArray(reinterpret_cast<const char*>(s.DestinationStore()),
                      qsizetype(s.DestBytes()));
}

// The view's own size, whatever the sub-window's frame takes.
void SizeView(CMergeChild& frame, QSize view) {
    frame.resize(frame.size() + view - frame.View().size());
    QApplication::processEvents();
}

void Drag(QWidget& view, Qt::MouseButton button, QPoint from, QPoint to) {
    QTest::mousePress(&view, button, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), view.mapToGlobal(QPointF(to)), Qt::NoButton,
                     button, Qt::NoModifier);
    QApplication::sendEvent(&view, &move);
    QTest::mouseRelease(&view, button, Qt::NoModifier, to);
}

}  // namespace

class MergeAlignTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // Windows of 800 x 600 and 640 x 480 give a 640 x 480 overlay and destination; the rest of
    // a larger merge-align window is cross-hatched.
    void theOverlayIsBothSourcesAtHalfStrengthWithHatchedStrips() {
        AppFixture f;
        SourceView& one = f.AddSource(800, 600, First);
        SourceView& two = f.AddSource(640, 480, Second);
        CMergeChild* frame = OpenMergeAlign(f);
        QVERIFY(frame);
        QCOMPARE(frame->windowTitle(), QString(kMergeAlignTitle));
        SizeView(*frame, QSize(700, 520));
        QCOMPARE(f.state().DestWidth, 640);
        QCOMPARE(f.state().DestHeight, 480);

        const QImage shown = frame->View().grab().toImage();
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
                const Bgr a = Shown(one, x, y), b = Shown(two, x, y);
                const QRgb want = qRgb((a.r + b.r) >> 1, (a.g + b.g) >> 1, (a.b + b.b) >> 1);
                if (shown.pixel(x, y) != want)
                    QFAIL(qPrintable(QString("pixel %1, %2").arg(x).arg(y)));
            }
        const QColor hatch(112, 128, 79);
        for (const QRect& strip : {QRect(640, 0, 60, 520), QRect(0, 480, 700, 40)}) {
            int hatched = 0;
            for (int y = strip.top(); y <= strip.bottom(); ++y)
                for (int x = strip.left(); x <= strip.right(); ++x) {
                    const QColor c = shown.pixelColor(x, y);
                    QVERIFY(c == hatch || c == QColor(Qt::white));
                    hatched += c == hatch;
                }
            QVERIFY(hatched > strip.width() * strip.height() / 8);
        }
    }

    // A drag from (100, 100) to (130, 90) scrolls its source by (-30, +10) and leaves the other
    // alone; the destination is rebuilt from both, and the window shows the new overlay. The
    // scroll is a source change like any other: a destination with changes of its own holds it
    // back for the question, a locked one lets it through and stays as it is.
    void aDragScrollsItsSource_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("source");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("locked");
        QTest::addColumn<bool>("scrolls");
        QTest::addColumn<bool>("rebuilds");
        QTest::newRow("left moves source 1")
            << int(Qt::LeftButton) << 1 << false << false << true << true;
        QTest::newRow("right moves source 2")
            << int(Qt::RightButton) << 2 << false << false << true << true;
        QTest::newRow("changed destination")
            << int(Qt::LeftButton) << 1 << true << false << false << false;
        QTest::newRow("locked destination")
            << int(Qt::RightButton) << 2 << true << true << true << false;
    }

    void aDragScrollsItsSource() {
        QFETCH(int, button);
        QFETCH(int, source);
        QFETCH(bool, modified);
        QFETCH(bool, locked);
        QFETCH(bool, scrolls);
        QFETCH(bool, rebuilds);
        AppFixture f;
        ScopedMessageHook overwriteQuestion(MessageAnswer::No);
        SourceView* views[] = {nullptr, &f.AddSource(300, 200, First),
                               &f.AddSource(300, 200, Second)};
        CMergeChild* frame = OpenMergeAlign(f);
        QVERIFY(frame);
        SizeView(*frame, QSize(320, 220));
        f.state().DestModified = modified ? 1 : 0;
        f.state().DestLocked = locked ? 1 : 0;
        f.frame().RunIdleUpdate();
        const std::size_t steps = f.view().UndoHistory().Steps();
        const ScrollPoint before[] = {{}, views[1]->ScrollPosition(), views[2]->ScrollPosition()};
        const QByteArray destination = Store(f.state());
        const QImage overlay = frame->View().grab().toImage();

        QTest::mousePress(&frame->View(), Qt::MouseButton(button), Qt::NoModifier,
                          QPoint(100, 100));
        QMouseEvent move(QEvent::MouseMove, QPointF(130, 90),
                         frame->View().mapToGlobal(QPointF(130, 90)), Qt::NoButton,
                         Qt::MouseButton(button), Qt::NoModifier);
        QApplication::sendEvent(&frame->View(), &move);
        QCOMPARE(frame->View().DragLine(), std::optional<QLine>(QLine(100, 100, 130, 90)));
        QTest::mouseRelease(&frame->View(), Qt::MouseButton(button), Qt::NoModifier,
                            QPoint(130, 90));
        QCOMPARE(frame->View().DragLine(), std::optional<QLine>());

        const ScrollPoint want =
            scrolls ? ScrollPoint{before[source].x - 30, before[source].y + 10} : before[source];
        QCOMPARE(views[source]->ScrollPosition(), want);
        QCOMPARE(views[3 - source]->ScrollPosition(), before[3 - source]);
        QCOMPARE(f.state().PendingSourceChange,
                 scrolls ? 0 : source * 256 + kChangeScrollHorizontal);
        QCOMPARE(Store(f.state()) != destination, rebuilds);
        if (rebuilds) QCOMPARE(f.state().DestModified, 0);
        QCOMPARE(frame->View().grab().toImage() != overlay, scrolls);
        // A drag that changed the destination is one step to undo.
        f.frame().RunIdleUpdate();
        QCOMPARE(f.view().UndoHistory().Steps(), steps + (rebuilds ? 1 : 0));
        if (rebuilds) QCOMPARE(f.view().UndoHistory().UndoName(), std::string("Align"));
    }

    // With one source the window says why it is empty, on light green, and the mouse does
    // nothing. The lines keep their trailing blanks, so their white cells end (nearly) together.
    void withOneSourceTheWindowIsEmpty() {
        AppFixture f;
        SourceView& one = f.AddSource(300, 200, First);
        CMergeChild* frame = OpenMergeAlign(f);
        QVERIFY(frame);
        SizeView(*frame, QSize(600, 200));
        const QImage shown = frame->View().grab().toImage();
        QCOMPARE(shown.pixelColor(3, 3), QColor(207, 255, 160));
        QCOMPARE(shown.pixelColor(598, 198), QColor(207, 255, 160));
        const QFontMetrics metrics = frame->View().fontMetrics();
        for (const auto& [top, text] :
             {std::pair(20, kMergeAlignEmptyLine1), std::pair(40, kMergeAlignEmptyLine2)}) {
            // The cell starts at (10, top), trailing blanks included: white where the text
            // leaves it, dark where it writes.
            const int cellWidth = metrics.horizontalAdvance(text);
            QCOMPARE(shown.pixelColor(10, top), QColor(Qt::white));
            QCOMPARE(shown.pixelColor(9, top), QColor(207, 255, 160));
            QCOMPARE(shown.pixelColor(10 + cellWidth - 1, top), QColor(Qt::white));
            QCOMPARE(shown.pixelColor(10 + cellWidth, top), QColor(207, 255, 160));
            int dark = 0;
            for (int y = top; y < top + std::min(metrics.height(), 20); ++y)
                for (int x = 10; x < 10 + cellWidth; ++x)
                    dark += shown.pixelColor(x, y).lightness() < 100;
            QVERIFY(dark > 50);
        }
        const ScrollPoint before = one.ScrollPosition();
        Drag(frame->View(), Qt::LeftButton, QPoint(100, 100), QPoint(130, 90));
        QCOMPARE(one.ScrollPosition(), before);
        QCOMPARE(frame->View().grab().toImage(), shown);
    }

    // At most one window: "Merge Align" again brings it to the front; closed, it opens anew.
    // While it is active the effects and saving are off and the merge runs the destination's.
    void thereIsOneMergeAlignWindowAtMost() {
        AppFixture f;
        f.AddSource(300, 200, First);
        f.AddSource(300, 200, Second);
        CMergeChild* frame = OpenMergeAlign(f);
        QVERIFY(frame);
        f.ActivateDestination();
        QCOMPARE(OpenMergeAlign(f), frame);
        QCOMPARE(f.frame().MdiArea().activeSubWindow(), static_cast<QMdiSubWindow*>(frame));
        int merges = 0;
        for (QMdiSubWindow* w : f.frame().MdiArea().subWindowList())
            merges += dynamic_cast<CMergeChild*>(w) != nullptr;
        QCOMPARE(merges, 1);

        QVERIFY(!f.Enabled(kSharpen));
        QVERIFY(!f.Enabled(kSaveDestinationAs));
        int ran = 0;
        f.view().OnCommand(kMergeSources, [&ran] { ++ran; });
        QVERIFY(f.Enabled(kMergeSources));
        QVERIFY(f.router().Execute(kMergeSources));
        QCOMPARE(ran, 1);

        frame->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!f.app().MergeAlignFrame);
        CMergeChild* again = OpenMergeAlign(f);
        QVERIFY(again);
        QCOMPARE(f.frame().MdiArea().activeSubWindow(), static_cast<QMdiSubWindow*>(again));
    }
};

QTEST_MAIN(MergeAlignTest)
#include "merge_align_test.moc"
