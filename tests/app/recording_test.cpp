// A session driven through the real windows is recorded as a script; wendral-batch, run on a
// copy of the script's folder elsewhere, writes the very bytes the application saved.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "app/commands.h"
#include "app/script_runner.h"
#include "app/session_recorder.h"
#include "dialogs/brightness_dialog.h"
#include "io/picture_formats.h"
#include "source_test_support.h"

using namespace wendral;
using namespace wendral::app;
using namespace wendral::app::testing;

namespace {

Bgr Rings(int x, int y) {
    const int d = (x - 90) * (x - 90) + (y - 70) * (y - 70);
    return Bgr{std::uint8_t(d >> 5), std::uint8_t(x * 3 + y), std::uint8_t(255 - y * 2)};
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Save Destination As, its dialog answering with `name` in the format of its extension.
void SaveAs(AppFixture& f, const QDir& dir, const QString& name) {
    const int filter = FilterIndexOf(name.section('.', -1).toStdString());
    f.app().DestDoc()->SetSaveDialog([path = dir.filePath(name), filter] {
        return SaveDialogAnswer{path, filter};
    });
    QVERIFY(f.router().Execute(kSaveDestinationAs));
}

// The script and what it names, copied elsewhere, run there by wendral-batch: each picture the
// application saved comes out of the batch byte for byte.
void ReplayElsewhere(const QDir& dir, const QString& script, const QStringList& saved) {
    QTemporaryDir elsewhere;
    const QDir copy(elsewhere.path());
    QVERIFY(copy.mkdir("in"));
    for (const QString& name : QDir(dir.filePath("in")).entryList(QDir::Files))
        QVERIFY(QFile::copy(dir.filePath("in/" + name), copy.filePath("in/" + name)));
    QVERIFY(QFile::copy(dir.filePath(script), copy.filePath(script)));
    const QString stem = script.section('.', 0, 0);
    for (const QString& name : dir.entryList({stem + "-*"}, QDir::Files))
        QVERIFY(QFile::copy(dir.filePath(name), copy.filePath(name)));

    QProcess batch;
    batch.setWorkingDirectory(copy.path());
    batch.start(WENDRAL_BATCH, {script});
    QVERIFY(batch.waitForFinished(120000));
    QVERIFY2(batch.exitCode() == 0,
             (batch.readAllStandardError() + Contents(dir.filePath(script))).constData());
    for (const QString& name : saved) {
        const QByteArray made = Contents(dir.filePath(name));
        QVERIFY2(!made.isEmpty(), qPrintable(name));
        QVERIFY2(Contents(copy.filePath(name)) == made,
                 qPrintable(name + " differs\n" + Contents(dir.filePath(script))));
    }
}

}  // namespace

class RecordingTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void aRecordedSessionReplaysToTheSameFiles() {
        QTemporaryDir session;
        const QDir dir(session.path());
        QVERIFY(dir.mkdir("in"));
        const QString one = WritePicture(QDir(dir.filePath("in")), "one.bmp", 640, 480);
        const QString two = WritePicture(QDir(dir.filePath("in")), "two.png", 180, 140, Rings);
        const QStringList saved{"first.png", "second.bmp", "third.tga"};
        {
            AppFixture f;
            QVERIFY(f.app().StartRecording(dir.filePath("session.wbs")));
            f.frame().RunIdleUpdate();
            QVERIFY(f.frame().windowTitle().contains("[recording session.wbs]"));
            QVERIFY(OpenThroughCommand(f, one));
            QVERIFY(OpenThroughCommand(f, two));
            CWendralView& first = Sources(f).Frame(1)->View();
            first.horizontalScrollBar()->setValue(37);
            first.verticalScrollBar()->setValue(21);
            QApplication::processEvents();

            f.ActivateDestination();
            f.frame().RunIdleUpdate();
            f.Drag(QPoint(12, 9), QPoint(150, 104));
            QTest::keyClicks(&f.view(), "...>>");
            QTest::keyClick(&f.view(), Qt::Key_Right);
            f.Drag(QPoint(20, 20), QPoint(44, 31), Qt::RightButton);
            QTest::keyClick(&f.view(), Qt::Key_Up, Qt::ControlModifier);
            SaveAs(f, dir, saved[0]);

            QVERIFY(f.router().Execute(kEnableBrushing));
            f.Drag(QPoint(30, 30), QPoint(90, 70));
            f.Drag(QPoint(100, 20), QPoint(60, 90), Qt::RightButton);
            QVERIFY(f.router().Execute(kDisableBrushing));
            QVERIFY(RunDialogCommand<CBrightnessDlg>(f, kBrightnessContrast, [](CBrightnessDlg& d) {
                for (int i = 0; i < 3; ++i)
                    QTest::keyClick(d.Slider(ToneSlider::MasterBrightness), Qt::Key_PageUp);
                d.Button(1)->click();
            }));
            QVERIFY(f.router().Execute(kBlur));
            QVERIFY(f.router().Execute(kEmboss));
            QTest::keyClick(&f.view(), Qt::Key_Z, Qt::ControlModifier);
            SaveAs(f, dir, saved[1]);

            // A new zone after an undo, and the generator's draws of the pencil.
            f.Drag(QPoint(40, 30), QPoint(120, 90));
            QTest::keyClicks(&f.view(), ",,<");
            QTest::keyClick(&f.view(), Qt::Key_Z, Qt::ControlModifier);
            QTest::keyClick(&f.view(), Qt::Key_Y, Qt::ControlModifier);
            QVERIFY(f.router().Execute(kPencilDraw));
            SaveAs(f, dir, saved[2]);
            f.app().Recorder().Stop();
        }

        ReplayElsewhere(dir, "session.wbs", saved);
    }

    // Started midway, the script first rebuilds what the windows hold: a pasted source, a scaled
    // one, a destination with changes of its own, the zone and its levels, the reference colour
    // and the generator's state.
    void aRecordingStartedMidwayFirstRebuildsTheState() {
        QTemporaryDir session;
        const QDir dir(session.path());
        QVERIFY(dir.mkdir("in"));
        const QString one = WritePicture(QDir(dir.filePath("in")), "one.bmp", 320, 240);
        const QString two = WritePicture(QDir(dir.filePath("in")), "two.png", 180, 140, Rings);
        const QStringList saved{"midway.png"};
        {
            AppFixture f;
            QVERIFY(OpenThroughCommand(f, one));
            QVERIFY(OpenThroughCommand(f, two));
            QVERIFY(RunInSource(f, 2, kCopy));
            QVERIFY(RunInSource(f, 1, kPaste));
            QVERIFY(RunInSource(f, 2, kScaleToFit));
            f.ActivateDestination();
            f.frame().RunIdleUpdate();
            QVERIFY(f.router().Execute(kPencilDraw));
            f.Drag(QPoint(10, 10), QPoint(44, 31), Qt::RightButton);
            f.Drag(QPoint(12, 9), QPoint(150, 104));
            QTest::keyClicks(&f.view(), "..>");
            f.frame().RunIdleUpdate();

            QVERIFY(f.app().StartRecording(dir.filePath("midway.wbs")));
            QTest::keyClicks(&f.view(), ">,");
            SaveAs(f, dir, saved[0]);
            f.app().Recorder().Stop();
        }
        const QByteArray script = Contents(dir.filePath("midway.wbs"));
        for (const char* line : {"\nrandom ", "\nopen midway-source1-",
                                 "\ndestination midway-destination-", "\nlevels "})
            QVERIFY2(script.contains(line), script.constData());
        ReplayElsewhere(dir, "midway.wbs", saved);
    }

    // While recording, each line is still one step of its own, under its command's name, and
    // undo gives back exactly the picture before it.
    void whileRecordingEachPressIsOneNamedStep() {
        QTemporaryDir folder;
        AppFixture f;
        f.AddSource(64, 48, Rings);
        QVERIFY(f.app().StartRecording(QDir(folder.path()).filePath("steps.wbs")));
        f.ActivateDestination();
        f.frame().RunIdleUpdate();
        f.Drag(QPoint(6, 6), QPoint(50, 40));
        QTest::keyClicks(&f.view(), "..");
        const std::vector<std::uint8_t> two(f.state().DestinationStore(),
                                            f.state().DestinationStore() + f.state().DestBytes());
        QTest::keyClicks(&f.view(), ">");
        f.frame().RunIdleUpdate();
        QCOMPARE(f.router().Action(kUndo)->text(), QString("&Undo Twist right\tCtrl+Z"));
        QTest::keyClick(&f.view(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(std::equal(two.begin(), two.end(), f.state().DestinationStore()));
        QCOMPARE(f.zone().ImplodeLevel, 2);
        QCOMPARE(f.router().Action(kUndo)->text(), QString("&Undo Explode\tCtrl+Z"));
    }

    // Run Script plays the lines in the windows and stops at the first one that fails, saying
    // which and why; what ran before it stays done.
    void runScriptStopsAtTheFirstFailingLine() {
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath("run.wbs");
        QFile script(path);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(
            "# two presses, then a word the vocabulary lacks\nzone 5 5 40 30\nexplode 2 # keys\n\n"
            "implode sideways\nexplode\n");
        script.close();
        AppFixture f;
        f.AddSource(64, 48, Rings);
        f.ActivateDestination();
        ScopedMessageHook messages;
        QVERIFY(!RunScriptFile(f.app(), path, &f.frame()));
        QCOMPARE(f.zone().ImplodeLevel, 2);
        QCOMPARE(messages.Texts().join('|'), QString("Line 5: bad arguments: implode sideways"));
    }
};

QTEST_MAIN(RecordingTest)
#include "recording_test.moc"
