// The scaling dialog (steps, refusals, Apply, Cancel, validation) and the set-scale command
// that runs it live on a source; the clipboard both ways.
#include <QClipboard>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/commands.h"
#include "app/source_clipboard.h"
#include "core/convert24.h"
#include "dialogs/scaling_dialog.h"
#include "source_test_support.h"

using namespace wendral;
using namespace wendral::app;
using namespace wendral::app::testing;

namespace {

using Scales = std::vector<std::pair<int, int>>;

struct Recorded {
    Scales applied;
    CScalingDialog::ApplyScale Sink() {
        return [this](int w, int h) { applied.emplace_back(w, h); };
    }
};

void Click(CScalingDialog& d, int id) {
    d.Button(id)->click();
}

// A 16-bit bitmap packet: no reader or paste takes that depth.
PicturePacket SixteenBitPacket() {
    PicturePacket p = MakePicturePacket(4, 2, nullptr);
    p.SetU16(14, 16);
    return p;
}

}  // namespace

class SourceScalingTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() { QSettings().clear(); }

    void stepsArePowersOfTheBaseInSinglePrecision() {
        Recorded r;
        CScalingDialog d(100, 100, r.Sink());
        Click(d, 251);
        QCOMPARE(d.WidthValue, 104);
        QCOMPARE(d.HeightValue, 104);
        Click(d, 252);  // six steps: 1.3400954...
        QCOMPARE(d.WidthValue, 134);
        QCOMPARE(d.WidthEdit()->text(), QString("134"));
        Click(d, 249);
        Click(d, 250);
        Click(d, 250);  // back one below the start
        QCOMPARE(d.StepCount, -1);
        QCOMPARE(d.WidthValue, 94);
        QCOMPARE(r.applied, (Scales{{104, 104}, {134, 134}, {104, 104}, {100, 100}, {94, 94}}));

        // Unequal scales step together, each from its own base.
        CScalingDialog wide(200, 50, r.Sink());
        Click(wide, 250);
        QCOMPARE(wide.WidthValue, 189);  // 200 x 0.9499999880 truncated
        QCOMPARE(wide.HeightValue, 47);
    }

    void stepsBeyondTheRangeAreRefusedButStillApplied() {
        Recorded r;
        CScalingDialog top(600, 300, r.Sink());
        Click(top, 251);
        QCOMPARE(top.WidthValue, 600);
        QCOMPARE(top.HeightValue, 300);
        QCOMPARE(top.StepCount, 0);
        CScalingDialog bottom(8, 100, r.Sink());
        Click(bottom, 250);
        QCOMPARE(bottom.WidthValue, 8);
        QCOMPARE(bottom.StepCount, 0);
        QCOMPARE(r.applied, (Scales{{600, 300}, {8, 100}}));
        // A scale far beyond the range (fit may set one) refuses every step without overflow.
        CScalingDialog huge(2000000000, 100, r.Sink());
        Click(huge, 252);
        QCOMPARE(huge.WidthValue, 2000000000);
    }

    void applyMakesANewBaseAndCancelRestoresTheOpeningScale() {
        Recorded r;
        CScalingDialog d(100, 100, r.Sink());
        d.show();
        Click(d, 251);
        d.WidthEdit()->setText("150");
        d.HeightEdit()->setText("150");
        Click(d, 341);
        QVERIFY(d.isVisible());
        QCOMPARE(d.StepCount, 0);
        QCOMPARE(d.BaseWidth, 150);
        Click(d, 251);
        QCOMPARE(d.WidthValue, 157);
        Click(d, 2);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        QCOMPARE(r.applied.back(), (std::pair{100, 100}));
    }

    void entriesAreValidatedBeforeAnythingIsApplied_data() {
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("widthFocused");
        QTest::newRow("601") << "601"
                             << "100"
                             << "Please enter an integer between 8 and 600." << true;
        QTest::newRow("7 in height") << "100"
                                     << "7"
                                     << "Please enter an integer between 8 and 600." << false;
        QTest::newRow("text") << "abc"
                              << "100"
                              << "Please enter an integer." << true;
        QTest::newRow("empty") << ""
                               << "100"
                               << "Please enter an integer." << true;
        QTest::newRow("8 and 8") << "8"
                                 << " 8 "
                                 << "" << false;
    }

    void entriesAreValidatedBeforeAnythingIsApplied() {
        QFETCH(QString, width);
        QFETCH(QString, height);
        QFETCH(QString, message);
        QFETCH(bool, widthFocused);
        Recorded r;
        CScalingDialog d(100, 100, r.Sink());
        d.show();
        QApplication::setActiveWindow(&d);
        d.WidthEdit()->setText(width);
        d.HeightEdit()->setText(height);
        ScopedMessageHook messages;
        Click(d, 1);
        if (message.isEmpty()) {
            QVERIFY(messages.Texts().isEmpty());
            QCOMPARE(d.result(), int(QDialog::Accepted));
            QCOMPARE(r.applied, (Scales{{8, 8}}));
            return;
        }
        QCOMPARE(messages.Texts(), QStringList({message}));
        QVERIFY(d.isVisible());
        QVERIFY(r.applied.empty());
        QCOMPARE(QApplication::focusWidget(), widthFocused ? d.WidthEdit() : d.HeightEdit());
        // Apply refuses the same way.
        Click(d, 341);
        QCOMPARE(messages.Texts().size(), 2);
        QVERIFY(r.applied.empty());
    }

    void theSetScaleCommandFollowsTheDialogLive() {
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 40, 20));
        SourceView& model = Sources(f).Frame(1)->Model();
        std::vector<int> liveWidths;
        f.frame().BringToTop(Sources(f).Frame(1));
        QApplication::processEvents();
        std::function<void()> drive = [&] {
            auto* d = qobject_cast<CScalingDialog*>(QApplication::activeModalWidget());
            if (!d) return QTimer::singleShot(10, drive);
            Click(*d, 251);
            liveWidths.push_back(model.WidthScale);
            liveWidths.push_back(f.state().DestPixel(4, 0) == Pattern(3, 0) ? 1 : 0);
            Click(*d, 1);
        };
        QTimer::singleShot(0, drive);
        QVERIFY(f.router().Execute(kSetScale));
        QCOMPARE(liveWidths, (std::vector<int>{104, 1}));
        QCOMPARE(model.WidthScale, 104);
        QCOMPARE(model.HeightScale, 104);
        QCOMPARE(model.ScaledWidth(), 41);
    }

    void copyThenPasteIntoTheOtherSourceGivesTheSamePicture() {
        QTemporaryDir dir;
        const QDir d(dir.path());
        AppFixture f;
        OpenThroughCommand(f, WritePicture(d, "a.bmp", 24, 10));
        OpenThroughCommand(f, WritePicture(d, "b.bmp", 8, 8, [](int, int) {
                               return Bgr{0, 0, 0};
                           }));
        QVERIFY(RunInSource(f, 1, kCopy));
        const QMimeData* offered = QGuiApplication::clipboard()->mimeData();
        QVERIFY(offered->hasFormat(kBmpMime));
        QVERIFY(offered->data(kBmpMime).startsWith("BM"));
        QVERIFY(offered->hasImage());
        QCOMPARE(qvariant_cast<QImage>(offered->imageData()).size(), QSize(24, 10));

        CChildFrame* two = Sources(f).Frame(2);
        two->Model().SetScales(200, 200);
        QVERIFY(f.Enabled(kPaste));
        QVERIFY(RunInSource(f, 2, kPaste));
        QVERIFY(two->Model().Document.packet == Sources(f).Frame(1)->Model().Document.packet);
        // Paste keeps the scale, the path and the title.
        QCOMPARE(two->Model().WidthScale, 200);
        QCOMPARE(two->windowTitle(), QString("Source 2        b.bmp"));
        QVERIFY(ShownPixel(two->Model(), 5, 3) == Pattern(2, 1));
    }

    void aPlainImageIsBroughtTo24BitsAndAnUnsupportedBitmapLeavesWhite() {
        QTemporaryDir dir;
        AppFixture f;
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 24, 10));
        QImage plain(5, 3, QImage::Format_ARGB32);
        plain.fill(QColor(10, 20, 30));
        plain.setPixelColor(4, 0, QColor(200, 100, 50));
        QGuiApplication::clipboard()->setImage(plain);
        ScopedMessageHook messages;
        QVERIFY(RunInSource(f, 1, kPaste));
        QVERIFY(messages.Texts().isEmpty());
        SourceView& model = Sources(f).Frame(1)->Model();
        QCOMPARE(model.Document.PictureWidth, 5);
        QCOMPARE(model.Document.packet.BitsPerPixel(), 24);
        QVERIFY(f.state().DestPixel(4, 0) == (Bgr{50, 100, 200}));
        QVERIFY(f.state().DestPixel(0, 2) == (Bgr{30, 20, 10}));
        QVERIFY(f.state().DestPixel(5, 0) == (Bgr{255, 255, 255}));

        QGuiApplication::clipboard()->setMimeData(PictureMimeData(SixteenBitPacket()));
        QVERIFY(RunInSource(f, 1, kPaste));
        QCOMPARE(messages.Texts(), QStringList({kUnsupportedBitmap}));
        QVERIFY(model.Document.packet.empty());
        QVERIFY(f.state().DestPixel(4, 0) == (Bgr{255, 255, 255}));
        // Nothing to copy now.
        QVERIFY(!f.Enabled(kCopy));
    }
};

QTEST_MAIN(SourceScalingTest)
#include "source_scaling_test.moc"
