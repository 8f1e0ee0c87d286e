// The program's pictures: every toolbar button has an image of its own, sharp at 1x and 2x,
// and every window shows the program icon.
#include <QAction>
#include <QApplication>
#include <QDirIterator>
#include <QMdiSubWindow>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include "app/commands.h"
#include "app/icons.h"
#include "app/toolbar_icons.h"
#include "app_test_support.h"

using namespace wendral;
using namespace wendral::app;
using wendral::app::testing::AppFixture;

class IconsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void everyButtonHasItsOwnImageAtEveryScale_data() {
        QTest::addColumn<QList<int>>("ids");
        QTest::addColumn<QSize>("size");
        QTest::newRow("destination")
            << QList<int>(DestinationToolbar().begin(), DestinationToolbar().end())
            << kDestinationButton;
        QTest::newRow("source") << QList<int>(SourceToolbar().begin(), SourceToolbar().end())
                                << kSourceButton;
    }
    void everyButtonHasItsOwnImageAtEveryScale() {
        QFETCH(QList<int>, ids);
        QFETCH(QSize, size);
        AppFixture f;
        QVERIFY(f.router().Execute(kNewSource));
        QList<QImage> seen;
        for (int id : ids) {
            if (id == 0) continue;
            const QIcon icon = f.router().Action(id)->icon();
            for (qreal ratio : {1.0, 2.0}) {
                const QPixmap pixmap = icon.pixmap(size, ratio);
                QVERIFY2(!pixmap.isNull(), qPrintable(QString::number(id)));
                QCOMPARE(pixmap.size(), size * ratio);
                QCOMPARE(pixmap.devicePixelRatio(), ratio);
            }
            const QImage image = icon.pixmap(size, 1.0).toImage();
            QVERIFY2(!seen.contains(image), qPrintable(QString::number(id)));
            seen.append(image);
        }
    }

    // Undo and redo wait for their buttons: their drawings must be valid already.
    void everyBuiltInDrawingIsValid() {
        int count = 0;
        for (QDirIterator it(":/icons", QDir::Files, QDirIterator::Subdirectories); it.hasNext();
             ++count)
            QVERIFY2(!ResourceIcon(it.next()).isNull(), qPrintable(it.filePath()));
        QVERIFY(count > 0);
        QVERIFY(!CommandIcon(kUndo).isNull());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("absent.svg"));
        QVERIFY(ResourceIcon(":/icons/absent.svg").isNull());
    }

    void theProgramIconIsOnTheApplicationAndEveryWindow() {
        AppFixture f;
        QVERIFY(f.router().Execute(kNewSource));
        const auto image = [](const QIcon& icon) {
            return icon.pixmap(QSize(32, 32), 1.0).toImage();
        };
        const QImage program = image(ProgramIcon());
        QVERIFY(!program.isNull());
        QCOMPARE(image(QApplication::windowIcon()), program);
        QCOMPARE(image(f.frame().windowIcon()), program);
        QCOMPARE(image(f.app().DestFrame()->windowIcon()), program);
        QVERIFY(f.app().SourceFrames[1]);
        QCOMPARE(image(f.app().SourceFrames[1]->windowIcon()), program);
    }
};

QTEST_MAIN(IconsTest)
#include "icons_test.moc"
