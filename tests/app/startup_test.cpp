// Start-up, the window rules and the application-wide commands.
#include <QAction>
#include <QMdiSubWindow>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/background.h"
#include "app/commands.h"
#include "app_test_support.h"

using namespace wendral;
using namespace wendral::app;
using wendral::app::testing::AppFixture;

class StartupTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void missingDataFilesAreReportedInOrderAndTheProgramRuns() {
        QTemporaryDir empty;
        ScopedMessageHook messages;
        CWendralApp::Options options;
        options.dataDirectory = empty.path();
        options.show = false;
        CWendralApp app(options);
        QVERIFY(app.InitInstance());
        QCOMPARE(messages.Texts(), QStringList({kBackgroundMissing, kStartupHelpMissing}));
        QVERIFY(app.DestFrame());
        QVERIFY(app.DestDoc()->StartupHelp().empty());
        QVERIFY(app.MainFrame()->MdiArea().Document().Image().isNull());
        QCOMPARE(app.State().SourceCount, 0);
    }

    void theDataFilesOfTheBuildOpenWithoutMessages() {
        ScopedMessageHook messages;
        CWendralApp::Options options;
        options.dataDirectory = WENDRAL_DATA_DIR;
        options.show = false;
        CWendralApp app(options);
        QVERIFY(app.InitInstance());
        QVERIFY(messages.Texts().isEmpty());
        QVERIFY(!app.DestDoc()->StartupHelp().empty());
        QCOMPARE(app.MainFrame()->MdiArea().Document().Image().size(), QSize(64, 64));
        QCOMPARE(app.DestView()->ShowingStartupHelp, 1);
    }

    void aFileThatIsNoBmpFailsToOpen() {
        QTemporaryDir dir;
        QFile fake(dir.filePath("wendral.bmx"));
        QVERIFY(fake.open(QIODevice::WriteOnly));
        fake.write("BM but nothing after it");
        fake.close();
        QVERIFY(ReadBmpPacketFile(fake.fileName()).empty());
        QVERIFY(ReadBmpPacketFile(dir.filePath("absent.bmp")).empty());
        QVERIFY(!ReadBmpPacketFile(QString(WENDRAL_DATA_DIR) + "/wendral.bmy").empty());
    }

    void theMainFrameIsPlacedFromTheScreen() {
        QCOMPARE(CMainFrame::InitialGeometry(QSize(1024, 768)), QRect(128, 96, 768, 576));
        QCOMPARE(CMainFrame::InitialGeometry(QSize(1280, 1024)), QRect(160, 128, 960, 768));
    }

    void theDestinationRefusesToClose() {
        AppFixture f;
        ScopedMessageHook messages;
        QVERIFY(!f.app().DestFrame()->close());
        QCOMPARE(messages.Texts(), QStringList({kDestinationClosing}));
        QVERIFY(f.app().DestFrame()->isVisible());
    }

    void keysBringWindowsToTheTop() {
        AppFixture f;
        // Another sub-window on top of the destination.
        auto* other = new QMdiSubWindow;
        f.frame().AddSubWindow(other);
        f.frame().BringToTop(other);
        QCOMPARE(f.frame().MdiArea().activeSubWindow(), other);
        // "1" and "2" do nothing without sources.
        QTest::keyClicks(&f.frame(), "12");
        QCOMPARE(f.frame().MdiArea().activeSubWindow(), other);
        QTest::keyClicks(&f.frame(), "3");
        QCOMPARE(f.frame().MdiArea().activeSubWindow(),
                 static_cast<QMdiSubWindow*>(f.app().DestFrame()));

        f.AddSource(16, 8, Bgr{1, 2, 3});
        f.app().SourceFrames[1] = other;
        QTest::keyClicks(&f.frame(), "1");
        QCOMPARE(f.frame().MdiArea().activeSubWindow(), other);
    }

    void aboutShowsTheVersion() {
        AppFixture f;
        ScopedMessageHook messages;
        QVERIFY(f.router().Execute(kAbout));
        QCOMPARE(messages.Texts(), QStringList({"WENDRAL Version 1.7"}));
        QCOMPARE(messages.Records()[0].icon, MessageIcon::Program);
        QCOMPARE(messages.Records()[0].buttons, MessageButtons::Ok);
    }

    void theStartupHelpShowsUntilTheFirstSource() {
        AppFixture f;
        QCOMPARE(f.app().DestFrame()->windowTitle(), QString(kStartupHelpTitle));
        // The help picture is drawn 1:1 at the top-left corner.
        const QImage shown = f.view().grab().toImage();
        const QImage help = f.app().DestDoc()->StartupHelpImage();
        QCOMPARE(shown.pixelColor(5, 5), help.pixelColor(5, 5));
        f.AddSource(40, 20, Bgr{0, 0, 255});
        QCOMPARE(f.view().ShowingStartupHelp, 0);
        QVERIFY(f.app().DestDoc()->StartupHelp().empty());
        QCOMPARE(f.app().DestFrame()->windowTitle(), QString("Destination Window  <no zone set>"));
    }

    void recentFilesKeepFourNewestFirst() {
        AppFixture f;
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "d.bmp", "e.bmp", "c.bmp"})
            f.app().AddRecentFile(name);
        QCOMPARE(f.app().RecentFiles(), QStringList({"c.bmp", "e.bmp", "d.bmp", "b.bmp"}));
        QVERIFY(f.router().Action(kRecentFile1)->text().endsWith("c.bmp"));
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
