// The reference colour dialog through its real controls, its one instance, and its step with the
// right-button sampling in the destination and the status bar's readout.
#include "dialogs/ref_colour_dialog.h"

#include <QApplication>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTest>

#include "app/commands.h"
#include "app_test_support.h"
#include "core/command_table.h"
#include "core/distortion_engine.h"

using namespace wendral;
using namespace wendral::app;
using wendral::app::testing::AppFixture;

namespace {

CRefColourDlg* Open(AppFixture& f) {
    if (!f.router().Execute(kReferenceColour)) return nullptr;
    QApplication::processEvents();
    return f.frame().RefColourDialog();
}

int LiveDialogs() {
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<CRefColourDlg*>(w) != nullptr;
    return n;
}

// What the three sliders show, red, green, blue.
std::vector<int> Sliders(const CRefColourDlg& d) {
    return {d.Slider(256)->value(), d.Slider(257)->value(), d.Slider(258)->value()};
}

void RightDrag(AppFixture& f, QPoint from, QPoint to, Qt::KeyboardModifiers modifiers,
               Qt::MouseButtons held = Qt::RightButton) {
    QTest::mousePress(&f.view(), Qt::RightButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), f.view().mapToGlobal(QPointF(to)),
                     Qt::NoButton, held, modifiers);
    QApplication::sendEvent(&f.view(), &move);
    QTest::mouseRelease(&f.view(), Qt::RightButton, Qt::NoModifier, to);
}

}  // namespace

class RefColourDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void oneDialogShowsAndSetsTheReferenceColour() {
        AppFixture f;
        QVERIFY(f.Enabled(kReferenceColour));
        f.AddSource(40, 20, Bgr{1, 2, 3});
        f.state().BrushingEnabled = 1;
        QVERIFY(f.Enabled(kReferenceColour));
        f.state().BrushingEnabled = 0;
        f.state().ReferenceColour = Bgr{10, 20, 30};
        CRefColourDlg* d = Open(f);
        QVERIFY(d && d->isVisible() && !d->isModal());
        QCOMPARE(d->windowTitle(), QString("REFERENCE COLOR Adjustment"));
        QCOMPARE(Sliders(*d), (std::vector<int>{30, 20, 10}));
        QCOMPARE(d->SwatchColour(), QColor(30, 20, 10));
        // A second command brings the same dialog forward.
        QCOMPARE(Open(f), d);
        QCOMPARE(LiveDialogs(), 1);

        // Keys and a click on the groove move the sliders; each move is the colour at once, and
        // the readout in the status bar follows.
        QTest::keyClick(d->Slider(257), Qt::Key_Right);
        QTest::keyClick(d->Slider(257), Qt::Key_Right);
        QSlider* blue = d->Slider(258);
        QTest::mouseClick(blue, Qt::LeftButton, Qt::NoModifier,
                          QPoint(blue->width() - 3, blue->height() / 2));
        QCOMPARE(f.state().ReferenceColour, (Bgr{42, 22, 30}));
        QCOMPARE(d->SwatchColour(), QColor(30, 22, 42));
        QCOMPARE(d->findChild<QWidget*>("swatch")->grab().toImage().pixelColor(16, 16),
                 QColor(30, 22, 42));
        QApplication::processEvents();
        QVERIFY(f.frame().PaneText(2).endsWith("Average REF. Color RGB = 30 22 42"));
        QCOMPARE(f.state().DestModified, 0);

        // The dialog's outcome as the script's command sets the same colour on a fresh state.
        const std::vector<std::string> outcome = d->Model().OutcomeArguments();
        QCOMPARE(outcome, (std::vector<std::string>{"30", "22", "42"}));
        WendralState fresh;
        Zone zone;
        DistortionEngine engine;
        ReferenceSampling sampling;
        CommandContext context{fresh,        zone, engine, sampling, {},
                               ClientArea{}, {},   {},     nullptr,  nullptr};
        FindCommandRow(kReferenceColour, Carrier::MainFrame)->run(context, outcome);
        QCOMPARE(fresh.ReferenceColour, f.state().ReferenceColour);

        QTest::mouseClick(d->Button(259), Qt::LeftButton);
        QCOMPARE(Sliders(*d), (std::vector<int>{127, 127, 127}));
        QCOMPARE(f.state().ReferenceColour, (Bgr{127, 127, 127}));
        QCOMPARE(d->SwatchColour(), QColor(127, 127, 127));
    }

    // A right-button drag in the destination shows its colour in the open dialog when released;
    // a drag with Shift or Ctrl, or with another button as well, takes no sample.
    void rightDraggingRefreshesTheOpenDialog() {
        AppFixture f;
        f.AddSource(40, 20, [](int x, int) {
            return x < 20 ? Bgr{10, 20, 30} : Bgr{200, 100, 50};
        });
        CRefColourDlg* d = Open(f);
        QVERIFY(d);
        RightDrag(f, QPoint(3, 3), QPoint(12, 9), Qt::NoModifier);
        QCOMPARE(f.state().ReferenceColour, (Bgr{10, 20, 30}));
        QCOMPARE(Sliders(*d), (std::vector<int>{30, 20, 10}));
        QCOMPARE(d->SwatchColour(), QColor(30, 20, 10));
        for (const auto& [modifiers, held] :
             {std::pair{Qt::KeyboardModifiers(Qt::ShiftModifier),
                        Qt::MouseButtons(Qt::RightButton)},
              std::pair{Qt::KeyboardModifiers(Qt::ControlModifier),
                        Qt::MouseButtons(Qt::RightButton)},
              std::pair{Qt::KeyboardModifiers(),
                        Qt::MouseButtons(Qt::RightButton | Qt::MiddleButton)}}) {
            RightDrag(f, QPoint(30, 3), QPoint(32, 9), modifiers, held);
            QCOMPARE(f.state().ReferenceColour, (Bgr{10, 20, 30}));
        }
        RightDrag(f, QPoint(30, 3), QPoint(32, 9), Qt::NoModifier);
        QCOMPARE(Sliders(*d), (std::vector<int>{50, 100, 200}));
        QCOMPARE(LiveDialogs(), 1);
    }

    void okEscapeAndTheCloseBoxEndTheDialog() {
        AppFixture f;
        const std::function<void(CRefColourDlg&)> ways[] = {
            [](CRefColourDlg& d) { QTest::mouseClick(d.Button(1), Qt::LeftButton); },
            [](CRefColourDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); },
            [](CRefColourDlg& d) { d.close(); },
        };
        for (const auto& close : ways) {
            CRefColourDlg* d = Open(f);
            QVERIFY(d);
            QTest::keyClick(d->Slider(256), Qt::Key_Left);
            close(*d);
            QVERIFY(!f.frame().RefColourDialog());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(LiveDialogs(), 0);
        }
        // Each closing kept the colour the slider gave.
        QCOMPARE(f.state().ReferenceColour, (Bgr{127, 127, 124}));
        QVERIFY(Open(f));
    }
};

QTEST_MAIN(RefColourDialogTest)
#include "ref_colour_dialog_test.moc"
