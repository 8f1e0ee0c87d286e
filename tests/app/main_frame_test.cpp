// The main frame's status panes, the overwrite question and saving through the dialog.
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/commands.h"
#include <QStatusBar>
#include "app_test_support.h"
#include "core/sources.h"
#include "dialogs/save_destination_dialog.h"
#include "io/save.h"

using namespace wendral;
using namespace wendral::app;
using wendral::app::testing::AppFixture;

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
        QCOMPARE(f.frame().PaneText(2), QString("RGB = 12 34 56  Average REF. Color RGB = 127 127 127"));
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
        doc.SetSaveDialog([&] { return std::optional<SaveDialogAnswer>({dir.filePath(name), filter}); });
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
        doc.SetSaveDialog([] { return std::optional<SaveDialogAnswer>({"/nonexistent-dir/x.png", 3}); });
        ScopedMessageHook messages;
        QVERIFY(f.router().Execute(kSaveDestinationAs));
        QCOMPARE(messages.Texts(), QStringList({kCodecSaveError}));
    }
};

QTEST_MAIN(MainFrameTest)
#include "main_frame_test.moc"
