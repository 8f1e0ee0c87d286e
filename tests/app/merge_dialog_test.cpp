// The merge command and its dialog through the real controls: what the destination holds after
// clicks, keys and drags, the dialog's outcome as a script line, the messages, the enabling.
#include "dialogs/merge_dialog.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSlider>
#include <QStandardPaths>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <cstring>

#include "app/background.h"
#include "app/commands.h"
#include "core/command_table.h"
#include "core/distortion_engine.h"
#include "source_test_support.h"

using namespace wendral;
using namespace wendral::app;
using namespace wendral::app::testing;

namespace {

// Two pictures of different sizes: the merge takes the common size, 50 x 40 rounded to 48 x 40.
constexpr int kOneWidth = 61, kOneHeight = 40, kTwoWidth = 50, kTwoHeight = 47;
Bgr One(int x, int y) {
    return Bgr{std::uint8_t(x * 5 + y), std::uint8_t(y * 9), std::uint8_t(255 - x - 2 * y)};
}
Bgr Two(int x, int y) {
    return Bgr{std::uint8_t(x * x + y), std::uint8_t(200 - y * 3), std::uint8_t(x * 7)};
}

QByteArray Store(const WendralState& s) {
    return QByteArray(reinterpret_cast<const char*>(s.DestinationStore()),
                      static_cast<qsizetype>(s.DestBytes()));
}

void AddBothSources(AppFixture& f) {
    f.AddSource(kOneWidth, kOneHeight, One);
    f.AddSource(kTwoWidth, kTwoHeight, Two);
}

// The state the merge command started from, without windows, where the script's merge command
// runs: the same two sources, settings and reference colour.
class Replay {
  public:
    explicit Replay(const WendralState& start) {
        one_.SetClientSize(kOneWidth, kOneHeight);
        two_.SetClientSize(kTwoWidth, kTwoHeight);
        OpenSource(state_, zone_, one_, "one.bmp", PictureOf(kOneWidth, kOneHeight, One));
        OpenSource(state_, zone_, two_, "two.bmp", PictureOf(kTwoWidth, kTwoHeight, Two));
        state_.MergeMode = start.MergeMode;
        state_.MergeBias = start.MergeBias;
        state_.ContrastThreshold = start.ContrastThreshold;
        state_.ReferenceColour = start.ReferenceColour;
    }
    const WendralState& Run(const std::vector<std::string>& args) {
        CommandContext context{state_,
                               zone_,
                               engine_,
                               sampling_,
                               [this] {
                                   shown_[0] = one_.Image();
                                   shown_[1] = two_.Image();
                                   return ShownSources{&shown_[0], &shown_[1]};
                               },
                               ClientArea{},
                               {},
                               {},
                               nullptr,
                               nullptr};
        const CommandRow& row = *FindCommandRow(kMergeSources, Carrier::DestinationView);
        if (!row.argumentsOk(args))
            qFatal("the dialog's outcome is not a well-formed merge command");
        row.run(context, args);
        return state_;
    }

  private:
    WendralState state_;
    Zone zone_;
    DistortionEngine engine_;
    ReferenceSampling sampling_;
    SourceView one_, two_;
    SourceImage shown_[2];
};

// Runs command `id` through the router; `drive` gets the merge dialog it opens and closes it.
// Returns whether a dialog opened.
bool WithMergeDialog(AppFixture& f, const std::function<void(CMergeDlg&)>& drive,
                     int id = kMergeSources) {
    bool opened = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<CMergeDlg*>(QApplication::activeModalWidget());
        if (!dialog) return;
        opened = true;
        QApplication::setActiveWindow(dialog);
        drive(*dialog);
        if (dialog->isVisible()) dialog->reject();
    });
    timer.start(0);
    f.router().Execute(id);
    QApplication::processEvents();
    return opened;
}

QRect HandleOf(QSlider* slider) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    option.subControls = QStyle::SC_All;
    return slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle,
                                           slider);
}

void MoveWithLeftButton(QWidget* widget, QPoint to) {
    QMouseEvent move(QEvent::MouseMove, QPointF(to), widget->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// One user action in the dialog: a click on control `id` (a radio button or OK), a key on
// control `id` (a radio button, a slider, or 0 for the dialog), or the close box.
struct Action {
    enum Kind { Click, Key, CloseBox } kind;
    int id = 0;
    Qt::Key key = Qt::Key_unknown;
};
Action ClickOn(int id) {
    return {Action::Click, id};
}
Action KeyOn(int id, Qt::Key key) {
    return {Action::Key, id, key};
}

void Perform(CMergeDlg& d, const Action& a) {
    QWidget* target = &d;
    if (a.id == 287) target = d.BiasSlider();
    if (a.id == 288) target = d.ThresholdSlider();
    if (d.Control(a.id)) target = d.Control(a.id);
    switch (a.kind) {
        // On the radio button's mark, which a stretched button's middle may lie beyond.
        case Action::Click:
            QTest::mouseClick(target, Qt::LeftButton, Qt::NoModifier,
                              QPoint(6, target->height() / 2));
            break;
        case Action::Key:
            target->setFocus();
            QTest::keyClick(target, a.key);
            break;
        case Action::CloseBox:
            d.close();
            break;
    }
}

}  // namespace

class MergeDialogTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // After each sequence the destination and the settings are what the script's merge command
    // gives from the same start with the arguments the dialog states as its outcome.
    void controlSequencesMergeAsTheScriptCommandDoes() {
        const struct {
            const char* name;
            std::vector<Action> actions;
            std::vector<std::string> outcome;
        } cases[] = {
            // OK at once: Average, normal contrast, threshold 127, and the bias last in effect.
            {"OK at once", {ClickOn(1)}, {"average", "bias", "40", "threshold", "50"}},
            {"Greatest, bias keys, Escape",
             {ClickOn(208), KeyOn(287, Qt::Key_Right), KeyOn(287, Qt::Key_Right),
              KeyOn(287, Qt::Key_Right), KeyOn(287, Qt::Key_Left), KeyOn(0, Qt::Key_Escape)},
             {"greatest", "bias", "129", "threshold", "50"}},
            // A button puts the bias back to 127; the threshold slider runs against the percentage.
            {"rgb, threshold keys, Subtract 2 - 1, bias Home, close box",
             {ClickOn(220),
              KeyOn(288, Qt::Key_Right),
              KeyOn(288, Qt::Key_Right),
              KeyOn(288, Qt::Key_Right),
              KeyOn(287, Qt::Key_Right),
              ClickOn(214),
              KeyOn(287, Qt::Key_Home),
              {Action::CloseBox}},
             {"sub21", "bias", "0", "contrast", "rgb", "threshold", "47"}},
            // The arrow keys move through the merge types, each one merging; Return is OK.
            {"arrows to Copy 2 only, Return",
             {KeyOn(210, Qt::Key_Up), KeyOn(208, Qt::Key_Up), KeyOn(225, Qt::Key_Return)},
             {"copy2", "bias", "127", "threshold", "50"}},
            {"b/w, reference rule, threshold End, Escape",
             {ClickOn(219), ClickOn(293), KeyOn(288, Qt::Key_End), KeyOn(0, Qt::Key_Escape)},
             {"ref12", "bias", "127", "contrast", "bw", "threshold", "0"}},
        };
        for (const auto& c : cases) {
            AppFixture f;
            AddBothSources(f);
            f.state().MergeBias = 40;
            f.state().ReferenceColour = Bgr{90, 60, 120};
            Replay replay(f.state());
            std::optional<std::vector<std::string>> outcome;
            QVERIFY(WithMergeDialog(f, [&](CMergeDlg& d) {
                for (const Action& a : c.actions) Perform(d, a);
                QVERIFY2(!d.isVisible(), c.name);
                outcome = d.Model().OutcomeArguments();
            }));
            QVERIFY2(outcome && *outcome == c.outcome, c.name);
            const WendralState& expected = replay.Run(*outcome);
            QCOMPARE(f.state().DestWidth, 48);
            QCOMPARE(f.state().DestHeight, 40);
            QVERIFY2(Store(f.state()) == Store(expected), c.name);
            QCOMPARE(f.state().MergeMode, expected.MergeMode);
            QCOMPARE(f.state().MergeBias, expected.MergeBias);
            QCOMPARE(f.state().ContrastThreshold, expected.ContrastThreshold);
            QCOMPARE(f.state().DestModified, 0);
        }
    }

    void okAtOnceMergesWithAverageAndThreshold127() {
        AppFixture f;
        AddBothSources(f);
        f.state().MergeMode = kMergeCopy1Bit | kContrastRgbBit;
        f.state().ContrastThreshold = 3;
        QVERIFY(WithMergeDialog(f, [](CMergeDlg& d) { QTest::keyClick(&d, Qt::Key_Return); }));
        QCOMPARE(f.state().MergeMode, kMergeAverageBit);
        QCOMPARE(f.state().ContrastThreshold, 127);
        // (a x 128 + b x 127) >> 8 at the default bias.
        const Bgr a = One(5, 7), b = Two(5, 7);
        QCOMPARE(f.state().DestPixel(5, 7).g, std::uint8_t((a.g * 128 + b.g * 127) >> 8));
    }

    // A cancelled dialog leaves the destination alone but Average in force: the next rebuild
    // merges with it.
    void aCancelledDialogLeavesAverageForTheNextRebuild() {
        AppFixture f;
        AddBothSources(f);
        QVERIFY(WithMergeDialog(f, [](CMergeDlg& d) { Perform(d, ClickOn(225)); }));
        const QByteArray copy2 = Store(f.state());
        QCOMPARE(f.state().MergeMode, kMergeCopy2Bit);
        Replay replay(f.state());
        QVERIFY(WithMergeDialog(f, [](CMergeDlg& d) {
            QVERIFY(!d.Model().OutcomeArguments());
            QTest::keyClick(&d, Qt::Key_Escape);
        }));
        QCOMPARE(Store(f.state()), copy2);
        QCOMPARE(f.state().MergeMode, kMergeAverageBit);
        QVERIFY(f.router().Execute(kRestoreDestination));  // a rebuild from the sources
        QCOMPARE(Store(f.state()), Store(replay.Run({"average", "bias", "127"})));
    }

    // Each notification merges and shows the result before the next event: a key, a click on the
    // groove, each step of a drag of the handle.
    void eachSliderNotificationMergesAndRepaintsAtOnce() {
        AppFixture f;
        AddBothSources(f);
        PaintRecorder painted(f.view());
        const QRect picture(0, 0, 48, 40);
        const Bgr a = One(9, 3), b = Two(9, 3);
        const auto averaged = [&](int k) { return std::uint8_t((a.r * (255 - k) + b.r * k) >> 8); };
        QVERIFY(WithMergeDialog(f, [&](CMergeDlg& d) {
            QSlider* bias = d.BiasSlider();
            const auto followed = [&](const char* what) {
                const int k = bias->sliderPosition();
                QVERIFY2(f.state().MergeBias == k, what);
                QVERIFY2(f.state().DestPixel(9, 3).r == averaged(k), what);
                QVERIFY2((QRegion(picture) - painted.Take()).isEmpty(), what);
                QVERIFY2(f.view().grab(QRect(9, 3, 1, 1)).toImage().pixelColor(0, 0).red() ==
                             averaged(k),
                         what);
            };
            painted.Take();
            QTest::keyClick(bias, Qt::Key_PageUp);
            QCOMPARE(bias->sliderPosition(), 127 + 32);
            followed("page key");
            // A click on the groove right of the handle pages towards it.
            const QRect handle = HandleOf(bias);
            QTest::mouseClick(bias, Qt::LeftButton, Qt::NoModifier,
                              QPoint(bias->width() - 3, handle.center().y()));
            QCOMPARE(bias->sliderPosition(), 127 + 64);
            followed("groove click");
            const QPoint grip = HandleOf(bias).center();
            QTest::mousePress(bias, Qt::LeftButton, Qt::NoModifier, grip);
            for (int dx : {-6, -20, -40}) {
                MoveWithLeftButton(bias, grip + QPoint(dx, 0));
                QVERIFY(bias->sliderPosition() < 127 + 64);
                followed("drag");
            }
            QTest::mouseRelease(bias, Qt::LeftButton, Qt::NoModifier, grip + QPoint(-40, 0));
        }));
    }

    void theCommandAsksAndReports_data() {
        QTest::addColumn<int>("sources");
        QTest::addColumn<int>("modified");
        QTest::addColumn<int>("locked");
        QTest::addColumn<int>("consent");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("opens");
        const QString question = kMergeOverwriteQuestion, two = kMergeNeedsTwoSourcesMessage;
        QTest::newRow("one source") << 1 << 0 << 0 << 0 << true << QStringList{two} << false;
        QTest::newRow("changed, No") << 2 << 1 << 0 << 0 << false << QStringList{question} << false;
        QTest::newRow("changed, Yes") << 2 << 1 << 0 << 0 << true << QStringList{question} << true;
        QTest::newRow("changed, locked") << 2 << 1 << 1 << 0 << true << QStringList{} << true;
        QTest::newRow("changed, consent given")
            << 2 << 1 << 0 << 1 << true << QStringList{} << true;
        QTest::newRow("changed, one source, Yes")
            << 1 << 1 << 0 << 0 << true << QStringList{question, two} << false;
    }
    void theCommandAsksAndReports() {
        QFETCH(int, sources);
        QFETCH(int, modified);
        QFETCH(int, locked);
        QFETCH(int, consent);
        QFETCH(bool, yes);
        QFETCH(QStringList, messages);
        QFETCH(bool, opens);
        AppFixture f;
        f.AddSource(kOneWidth, kOneHeight, One);
        if (sources == 2) f.AddSource(kTwoWidth, kTwoHeight, Two);
        f.state().DestModified = modified;
        f.state().DestLocked = locked;
        f.state().OverwriteConsent = consent;
        const QByteArray before = Store(f.state());
        ScopedMessageHook hook(yes ? MessageAnswer::Yes : MessageAnswer::No);
        QCOMPARE(WithMergeDialog(f, [](CMergeDlg& d) { d.close(); }), opens);
        QCOMPARE(hook.Texts(), messages);
        for (const MessageRecord& r : hook.Records()) {
            const bool question = r.text == kMergeOverwriteQuestion;
            QCOMPARE(r.buttons, question ? MessageButtons::YesNo : MessageButtons::Ok);
            QCOMPARE(r.icon, question ? MessageIcon::Stop : MessageIcon::Warning);
        }
        QCOMPARE(Store(f.state()), before);
        QCOMPARE(f.state().DestModified, modified);
    }

    // The destination view's rule is its row's; a source view always has the command, and the
    // destination comes to the top before the dialog opens. "m", the toolbar's M and a source
    // window all reach it.
    void theCommandIsEnabledAndReachedAsItsRulesSay() {
        AppFixture f;
        QVERIFY(!f.Enabled(kMergeSources));
        QTemporaryDir dir;
        QVERIFY(OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 64, 48)));
        QVERIFY(OpenThroughCommand(f, WritePicture(QDir(dir.path()), "b.bmp", 48, 64)));
        f.ActivateDestination();
        QVERIFY(f.Enabled(kMergeSources));
        f.state().BrushingEnabled = 1;
        QVERIFY(!f.Enabled(kMergeSources));
        QCOMPARE(
            f.Enabled(kMergeSources),
            Available(f.state(), FindCommandRow(kMergeSources, Carrier::DestinationView)->needs));

        // From source 2 while brushing: enabled, and the merge ends the brushing.
        f.frame().BringToTop(Sources(f).Frame(2));
        QApplication::processEvents();
        QVERIFY(f.Enabled(kMergeSources));
        bool destinationOnTop = false;
        QVERIFY(WithMergeDialog(f, [&](CMergeDlg& d) {
            destinationOnTop = f.frame().MdiArea().activeSubWindow() == f.app().DestFrame();
            d.accept();
        }));
        QVERIFY(destinationOnTop);
        QCOMPARE(f.state().BrushingEnabled, 0);

        f.ActivateDestination();
        int opened = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (auto* d = qobject_cast<CMergeDlg*>(QApplication::activeModalWidget())) {
                ++opened;
                d->reject();
            }
        });
        timer.start(0);
        QTest::keyClicks(&f.view(), "m");
        QToolBar& bar = f.app().DestFrame()->ToolBar();
        for (QAction* button : bar.actions())
            if (button->data().toInt() == kMergeSources)
                QTest::mouseClick(bar.widgetForAction(button), Qt::LeftButton);
        QCOMPARE(opened, 2);
    }
};

QTEST_MAIN(MergeDialogTest)
#include "merge_dialog_test.moc"
