// Undo and redo in the windows: each key press, drag and command is one step, named in the Edit
// menu, and undoing gives back exactly the destination before it.
#include <QAction>
#include <QStandardPaths>
#include <QTest>

#include "app/commands.h"
#include "app_test_support.h"

using namespace wendral;
using namespace wendral::app;
using wendral::app::testing::AppFixture;

namespace {

Bgr Gradient(int x, int y) {
    return Bgr{std::uint8_t(x * 5), std::uint8_t(y * 3), std::uint8_t(x ^ y)};
}

QByteArray Store(const WendralState& s) {
    return QByteArray(reinterpret_cast<const char*>(s.DestinationStore()),
                      qsizetype(s.DestBytes()));
}

}  // namespace

class UndoTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void eachPressDragAndCommandIsOneStep() {
        AppFixture f;
        f.AddSource(64, 48, Gradient);
        f.ActivateDestination();
        f.frame().RunIdleUpdate();
        f.Drag(QPoint(6, 6), QPoint(50, 40));
        f.frame().RunIdleUpdate();
        QCOMPARE(f.router().Action(kUndo)->text(), QString("&Undo Zone\tCtrl+Z"));
        QTest::keyClicks(&f.view(), "..");
        f.frame().RunIdleUpdate();
        const QByteArray two = Store(f.state());
        QTest::keyClicks(&f.view(), ".");
        f.frame().RunIdleUpdate();
        QCOMPARE(f.router().Action(kUndo)->text(), QString("&Undo Explode\tCtrl+Z"));
        QVERIFY(!f.Enabled(kRedo));

        // Three explodes, one undo, one explode is three explodes.
        QTest::keyClick(&f.view(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(Store(f.state()), two);
        QCOMPARE(f.zone().ImplodeLevel, 2);
        QCOMPARE(f.router().Action(kRedo)->text(), QString("&Redo Explode\tCtrl+Y"));
        QTest::keyClick(&f.view(), Qt::Key_Y, Qt::ControlModifier);
        const QByteArray three = Store(f.state());
        QCOMPARE(f.zone().ImplodeLevel, 3);
        QTest::keyClick(&f.view(), Qt::Key_Backspace, Qt::AltModifier);
        QTest::keyClicks(&f.view(), ".");
        QCOMPARE(Store(f.state()), three);

        // A new step drops what could be redone; undo goes back through the zone to the picture
        // the source gave.
        f.frame().RunIdleUpdate();
        QVERIFY(!f.Enabled(kRedo));
        for (int i = 0; i < 4; ++i) QVERIFY(f.router().Execute(kUndo));
        QVERIFY(!f.zone().HasZone());
        QCOMPARE(f.state().DestModified, 0);
    }
};

QTEST_MAIN(UndoTest)
#include "undo_test.moc"
