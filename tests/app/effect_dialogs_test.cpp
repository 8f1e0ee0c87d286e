// The brightness, special effects and rotate dialogs driven through their real controls: each
// leaves the destination exactly as the command table's row does with the arguments the dialog
// states; Escape, Cancel and the close box; the degree field's checks; the enabling of the
// three commands.
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/background.h"
#include "app/commands.h"
#include "core/command_table.h"
#include "dialogs/brightness_dialog.h"
#include "dialogs/rotate_dialog.h"
#include "dialogs/special_effects_dialog.h"
#include "source_test_support.h"

using namespace wendral;
using namespace wendral::app;
using namespace wendral::app::testing;

namespace {

using Words = std::vector<std::string>;
using Bytes = std::vector<std::uint8_t>;

constexpr int kWidth = 64, kHeight = 48;

Bgr Varied(int x, int y) {
    return Bgr{std::uint8_t(x * 5 + y * 3), std::uint8_t(x * y + 40),
               std::uint8_t(250 - 3 * x + y)};
}

Bytes Destination(const WendralState& s) {
    return Bytes(s.DestinationStore(), s.DestinationStore() + s.DestBytes());
}

// The destination as a dialog opens on it: its picture and the random generator.
struct Start {
    int width = 0, height = 0;
    Bytes pixels;
    Random15 random;

    explicit Start(const WendralState& s)
        : width(s.DestWidth), height(s.DestHeight), pixels(Destination(s)), random(s.Random) {}

    // A fresh state holding this start.
    std::unique_ptr<WendralState> Fresh() const {
        auto s = std::make_unique<WendralState>();
        s->DestWidth = width;
        s->DestHeight = height;
        std::memcpy(s->DestinationStore(), pixels.data(), pixels.size());
        s->Random = random;
        return s;
    }

    // The table's row `word` run with `args` on a fresh copy: the state it leaves.
    std::unique_ptr<WendralState> Run(const char* word, const Words& args) const {
        std::unique_ptr<WendralState> s = Fresh();
        Zone zone;
        DistortionEngine engine;
        ReferenceSampling sampling;
        CommandContext context{*s,           zone, engine, sampling, {},
                               ClientArea{}, {},   {},     nullptr,  nullptr};
        const CommandRow* row = FindCommandWord(word, args);
        if (!row || !row->argumentsOk(args)) qFatal("%s: arguments the row refuses", word);
        row->run(context, args);
        return s;
    }
};

void OpenPicture(AppFixture& f) {
    f.AddSource(kWidth, kHeight, Varied);
    f.zone().x1 = 5;
    f.zone().y1 = 6;
    f.zone().x2 = 30;
    f.zone().y2 = 20;
}

// Shown and active, as a modal dialog is: its keys are its own, not the main frame's shortcuts.
void Show(QDialog& d) {
    d.show();
    QApplication::setActiveWindow(&d);
}

void ClickArrow(CSpinButton* spin, int direction) {
    QTest::mouseClick(spin, Qt::LeftButton, Qt::NoModifier, spin->ArrowRect(direction).center());
}

// The left button at a point of the dial given in the dial's client pixels.
QPoint OnDialog(CRotateDlg& d, QPoint dialPoint) {
    return d.Dial()->mapTo(&d, d.Dial()->FromDial(dialPoint));
}

void MoveTo(CRotateDlg& d, QPoint dialPoint) {
    const QPoint at = OnDialog(d, dialPoint);
    QMouseEvent move(QEvent::MouseMove, QPointF(at), d.mapToGlobal(QPointF(at)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&d, &move);
}

}  // namespace

class EffectDialogsTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void brightnessSlidersRenderWhatTheToneRowRenders() {
        using Steps = std::function<void(CBrightnessDlg&)>;
        const auto key = [](CBrightnessDlg& d, ToneSlider s, Qt::Key k, int times = 1) {
            for (int i = 0; i < times; ++i) QTest::keyClick(d.Slider(s), k);
        };
        const struct {
            const char* name;
            Steps steps;
            Words args;
        } cases[] = {
            {"nothing moved", [](CBrightnessDlg&) {}, {"128", "128", "128", "64", "64", "64", "0"}},
            {"the master carries its channels",
             [&](CBrightnessDlg& d) { key(d, ToneSlider::MasterBrightness, Qt::Key_Right, 3); },
             {"131", "131", "131", "64", "64", "64", "0"}},
            {"a channel after its master, and gamma",
             [&](CBrightnessDlg& d) {
                 key(d, ToneSlider::MasterContrast, Qt::Key_PageUp);
                 key(d, ToneSlider::GreenContrast, Qt::Key_Left, 2);
                 key(d, ToneSlider::GammaBend, Qt::Key_End);
             },
             {"128", "128", "128", "128", "126", "128", "255"}},
            {"Reset, then one channel",
             [&](CBrightnessDlg& d) {
                 key(d, ToneSlider::RedBrightness, Qt::Key_Right);
                 d.Button(246)->click();
                 key(d, ToneSlider::BlueBrightness, Qt::Key_Home);
             },
             {"128", "128", "0", "64", "64", "64", "0"}},
            // A master moved before Reset differs from the one remembered, so the next event
            // sets its column to the master's reset position, undoing the channel just moved.
            {"a master moved before Reset propagates again",
             [&](CBrightnessDlg& d) {
                 key(d, ToneSlider::MasterBrightness, Qt::Key_PageDown);
                 d.Button(246)->click();
                 key(d, ToneSlider::GreenBrightness, Qt::Key_Right);
             },
             {"128", "128", "128", "64", "64", "64", "0"}},
            {"a dragged slider with negative contrast",
             [](CBrightnessDlg& d) {
                 QSlider* s = d.Slider(ToneSlider::RedContrast);
                 s->setSliderDown(true);
                 for (int v : {40, 0, -64}) s->setSliderPosition(v);
                 s->setSliderDown(false);
             },
             {"128", "128", "128", "-64", "64", "64", "0"}},
        };
        for (const auto& c : cases) {
            AppFixture f;
            OpenPicture(f);
            const Start start(f.state());
            CBrightnessDlg d(f.state(), f.view(), &f.frame());
            Show(d);
            PaintRecorder painted(f.view());
            c.steps(d);
            // The preview reached the screen inside the control's own event.
            QCOMPARE(painted.Take().isEmpty(), std::string(c.name) == "nothing moved");
            QCOMPARE(d.Model().RowArguments(), c.args);
            for (const ToneSliderInfo& info : kToneSliders)
                QCOMPARE(d.Slider(info.slider)->value(), d.Model().Position(info.slider));
            QTest::keyClick(d.Slider(ToneSlider::GammaBend), Qt::Key_Return);
            QVERIFY2(!d.isVisible(), c.name);
            QCOMPARE(f.state().DestModified, 1);
            QVERIFY(!f.zone().HasZone());
            QVERIFY2(Destination(f.state()) == Destination(*start.Run("tone", c.args)), c.name);
        }
    }

    // Escape and the close box leave the preview uncommitted; the zone keeps its corners but its
    // levels start again from the picture the dialog leaves, so the next press is not doubled.
    void escapeAndTheCloseBoxLeaveThePreviewUncommitted() {
        using Close = std::function<void(QDialog&)>;
        const std::pair<const char*, Close> closings[] = {
            {"Escape", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
            {"close box", [](QDialog& d) { d.close(); }},
        };
        using Open = std::function<std::unique_ptr<EffectDialog>(AppFixture&)>;
        const std::pair<const char*, Open> dialogs[] = {
            {"brightness",
             [](AppFixture& f) {
                 auto d = std::make_unique<CBrightnessDlg>(f.state(), f.view(), &f.frame());
                 Show(*d);
                 QTest::keyClick(d->Slider(ToneSlider::MasterContrast), Qt::Key_PageUp);
                 return std::unique_ptr<EffectDialog>(std::move(d));
             }},
            {"special effects",
             [](AppFixture& f) {
                 auto d = std::make_unique<CSpecialEffectsDlg>(f.state(), f.view(), &f.frame());
                 Show(*d);
                 ClickArrow(d->Spin(SpecialParam::XorShift), 1);
                 return std::unique_ptr<EffectDialog>(std::move(d));
             }},
        };
        for (const auto& [dialogName, open] : dialogs)
            for (const auto& [closingName, close] : closings) {
                const QByteArray name = QByteArray(dialogName) + " " + closingName;
                AppFixture f;
                OpenPicture(f);
                QVERIFY(f.router().Execute(kImplode));
                f.state().DestModified = 0;
                const Start start(f.state());
                std::unique_ptr<EffectDialog> d = open(f);
                const Bytes preview = Destination(f.state());
                QVERIFY2(preview != start.pixels, name);
                close(*d);
                QVERIFY2(!d->isVisible(), name);
                QCOMPARE(d->result(), int(QDialog::Rejected));
                QVERIFY2(Destination(f.state()) == preview, name);
                QCOMPARE(f.state().DestModified, 0);
                QCOMPARE(f.zone().x2, 30);

                // One more press implodes the dialog's picture once.
                const std::unique_ptr<WendralState> once = Start(f.state()).Fresh();
                Zone zone = f.zone();
                DistortionEngine engine;
                engine.Press(Distortion::Implode, *once, zone);
                QVERIFY(f.router().Execute(kImplode));
                QVERIFY2(Destination(f.state()) == Destination(*once), name);
            }
    }

    // Every notification renders from the snapshot: a click is two (the step and its end), and
    // the session replays to the same bytes and the same random generator.
    void specialEffectsClicksAndKeysReplayExactly() {
        using Steps = std::function<void(CSpecialEffectsDlg&)>;
        const struct {
            const char* name;
            Steps steps;
            Words args;
        } cases[] = {
            {"nothing clicked", [](CSpecialEffectsDlg&) {}, {"0", "0", "0", "0", "0"}},
            {"clicks on three buttons",
             [](CSpecialEffectsDlg& d) {
                 for (int i = 0; i < 3; ++i) ClickArrow(d.Spin(SpecialParam::XorShift), 1);
                 ClickArrow(d.Spin(SpecialParam::StreakRun), 1);
                 ClickArrow(d.Spin(SpecialParam::Jitter), 1);
                 ClickArrow(d.Spin(SpecialParam::Jitter), 1);
                 ClickArrow(d.Spin(SpecialParam::Jitter), -1);
             },
             {"3", "0", "0", "1", "1", "14"}},
            {"arrow keys, and a click that cannot step",
             [](CSpecialEffectsDlg& d) {
                 QTest::keyClick(d.Spin(SpecialParam::OrDrop), Qt::Key_End);
                 QTest::keyClick(d.Spin(SpecialParam::SumShift), Qt::Key_Right);
                 QTest::keyClick(d.Spin(SpecialParam::SumShift), Qt::Key_Up);
                 ClickArrow(d.Spin(SpecialParam::Jitter), -1);
             },
             {"0", "2", "7", "0", "0", "7"}},
            {"Reset keeps the random values drawn",
             [](CSpecialEffectsDlg& d) {
                 ClickArrow(d.Spin(SpecialParam::Jitter), 1);
                 d.Button(271)->click();
             },
             {"0", "0", "0", "0", "0", "2"}},
        };
        for (const auto& c : cases) {
            AppFixture f;
            OpenPicture(f);
            const Start start(f.state());
            CSpecialEffectsDlg d(f.state(), f.view(), &f.frame());
            Show(d);
            PaintRecorder painted(f.view());
            c.steps(d);
            QCOMPARE(painted.Take().isEmpty(), std::string(c.name) == "nothing clicked");
            QCOMPARE(d.Model().RowArguments(), c.args);
            for (const SpecialParamInfo& info : kSpecialParams)
                QCOMPARE(d.Value(info.param)->text(),
                         QString::number(d.Model().Position(info.param)));
            d.Button(1)->click();
            QVERIFY(!d.isVisible());
            QCOMPARE(f.state().DestModified, 1);
            QVERIFY(!f.zone().HasZone());

            SpecialEffectParams params;
            for (const SpecialParamInfo& info : kSpecialParams)
                ParamValue(params, info.param) =
                    std::stoi(c.args[static_cast<std::size_t>(info.param)]);
            const long long renders =
                c.args.size() == 6 ? std::stoll(c.args[5]) : (c.args[0] == "0" ? 0 : 1);
            const std::unique_ptr<WendralState> replay = start.Fresh();
            Zone zone;
            ReplaySpecialSession(*replay, zone, params, renders);
            QVERIFY2(Destination(f.state()) == Destination(*replay), c.name);
            QCOMPARE(f.state().Random.State(), replay->Random.State());
            // Without jitter the random values move nothing: the row's five words give the
            // same picture, whatever the number of previews.
            if (params.Jitter == 0) {
                const Words five(c.args.begin(), c.args.begin() + 5);
                QVERIFY2(Destination(f.state()) == Destination(*start.Run("special", five)),
                         c.name);
            }
        }
    }

    void specialEffectsResetShowsTheSnapshotAndZeros() {
        AppFixture f;
        OpenPicture(f);
        const Start start(f.state());
        CSpecialEffectsDlg d(f.state(), f.view(), &f.frame());
        Show(d);
        ClickArrow(d.Spin(SpecialParam::OrDrop), 1);
        ClickArrow(d.Spin(SpecialParam::XorShift), 1);
        QCOMPARE(d.Value(SpecialParam::OrDrop)->text(), QString("1"));
        QVERIFY(Destination(f.state()) != start.pixels);
        d.Button(271)->click();
        QVERIFY(d.isVisible());
        QVERIFY(Destination(f.state()) == start.pixels);
        for (const SpecialParamInfo& info : kSpecialParams) {
            QCOMPARE(d.Spin(info.param)->value(), 0);
            QCOMPARE(d.Value(info.param)->text(), QString("0"));
        }
    }

    // OK and Reset stand at the two ends of one row, in each dialog's own order, and Tab goes
    // from the left one to the right one.
    void okAndResetStandInEachDialogsOrder() {
        using Open = std::function<std::unique_ptr<EffectDialog>(AppFixture&)>;
        const struct {
            const char* name;
            Open open;
            int left, right;
        } cases[] = {
            {"brightness",
             [](AppFixture& f) {
                 return std::unique_ptr<EffectDialog>(
                     std::make_unique<CBrightnessDlg>(f.state(), f.view(), &f.frame()));
             },
             1, 246},
            {"special effects",
             [](AppFixture& f) {
                 return std::unique_ptr<EffectDialog>(
                     std::make_unique<CSpecialEffectsDlg>(f.state(), f.view(), &f.frame()));
             },
             271, 1},
        };
        for (const auto& c : cases) {
            AppFixture f;
            OpenPicture(f);
            std::unique_ptr<EffectDialog> d = c.open(f);
            Show(*d);
            QPushButton* left = d->Button(c.left);
            QPushButton* right = d->Button(c.right);
            QVERIFY2(left && right, c.name);
            QCOMPARE(left->y(), right->y());
            QVERIFY2(left->geometry().right() < right->x(), c.name);
            left->setFocus();
            QTest::keyClick(left, Qt::Key_Tab);
            QVERIFY2(QApplication::focusWidget() == right, c.name);
        }
    }

    void theDialAtItsCompassPointsGivesItsAngles() {
        const struct {
            QPoint at;
            int angle;  // -1: off the ring
        } points[] = {{{108, 113}, 0},  {{156, 161}, 90}, {{108, 209}, 180}, {{60, 161}, 270},
                      {{70, 130}, 310}, {{108, 106}, -1}, {{108, 122}, -1}};
        AppFixture f;
        OpenPicture(f);
        const Start start(f.state());
        CRotateDlg d(f.state(), f.view(), &f.frame());
        Show(d);
        QVERIFY(!d.Model().Marker());
        // What the busy light shows each time the dial is painted.
        struct LightRecorder : QObject {
            std::vector<CRotateDial::Light> lights;
            bool eventFilter(QObject* dial, QEvent* event) override {
                if (event->type() == QEvent::Paint)
                    lights.push_back(static_cast<CRotateDial*>(dial)->LightShown());
                return false;
            }
        } recorder;
        QApplication::processEvents();
        d.Dial()->installEventFilter(&recorder);
        int shown = 0;
        for (const auto& p : points) {
            QTest::mousePress(&d, Qt::LeftButton, Qt::NoModifier, OnDialog(d, p.at));
            QTest::mouseRelease(&d, Qt::LeftButton, Qt::NoModifier, OnDialog(d, p.at));
            if (p.angle >= 0) shown = p.angle;
            QCOMPARE(d.AngleEdit()->text(), QString::number(shown));
            QCOMPARE(d.Model().RowArguments(), Words{std::to_string(shown)});
            QVERIFY(Destination(f.state()) ==
                    Destination(*start.Run("rotate", {std::to_string(shown)})));
        }
        // Red reached the screen once per point on the ring, while the picture turned.
        QVERIFY(recorder.lights == std::vector<CRotateDial::Light>(5, CRotateDial::Light::Busy));
        QCOMPARE(d.Dial()->LightShown(), CRotateDial::Light::Done);
        // The marker stands where the angle points: the last, 310, is up and to the left.
        const MarkerBox marker = *d.Model().Marker();
        QVERIFY(marker.left < kDialCentreX - 30 && marker.top < kDialCentreY - 20);
    }

    // Dragging turns the picture at every point of the ring; every rotation starts from the
    // snapshot, so the last one alone is the outcome and the row states it.
    void dragAndApplyThenOkLeaveTheLastRotation() {
        AppFixture f;
        OpenPicture(f);
        const Start start(f.state());
        CRotateDlg d(f.state(), f.view(), &f.frame());
        Show(d);
        QTest::mousePress(&d, Qt::LeftButton, Qt::NoModifier, OnDialog(d, QPoint(20, 20)));
        QVERIFY(!d.Model().Marker());
        MoveTo(d, QPoint(108, 113));
        QCOMPARE(d.AngleEdit()->text(), QString("0"));
        MoveTo(d, QPoint(156, 161));
        QCOMPARE(d.AngleEdit()->text(), QString("90"));
        QVERIFY(Destination(f.state()) == Destination(*start.Run("rotate", {"90"})));
        QTest::mouseRelease(&d, Qt::LeftButton, Qt::NoModifier, OnDialog(d, QPoint(156, 161)));
        MoveTo(d, QPoint(108, 209));  // released: no longer dragging
        QCOMPARE(d.AngleEdit()->text(), QString("90"));

        d.AngleEdit()->setText("33");
        d.Button(253)->click();
        QVERIFY(Destination(f.state()) == Destination(*start.Run("rotate", {"33"})));
        d.AngleEdit()->setText("201");
        QTest::keyClick(d.AngleEdit(), Qt::Key_Return);
        QVERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.Model().RowArguments(), Words{"201"});
        QVERIFY(Destination(f.state()) == Destination(*start.Run("rotate", {"201"})));
        QCOMPARE(f.state().DestModified, 1);
        QVERIFY(!f.zone().HasZone());
    }

    void cancelEscapeAndTheCloseBoxGiveTheSnapshotBack() {
        const std::pair<const char*, std::function<void(CRotateDlg&)>> closings[] = {
            {"Cancel", [](CRotateDlg& d) { d.Button(2)->click(); }},
            {"Escape", [](CRotateDlg& d) { QTest::keyClick(d.AngleEdit(), Qt::Key_Escape); }},
            {"close box", [](CRotateDlg& d) { d.close(); }},
        };
        for (const auto& [name, close] : closings) {
            AppFixture f;
            OpenPicture(f);
            const Start start(f.state());
            CRotateDlg d(f.state(), f.view(), &f.frame());
            Show(d);
            d.AngleEdit()->setText("45");
            d.Button(253)->click();
            QVERIFY(Destination(f.state()) != start.pixels);
            close(d);
            QVERIFY2(!d.isVisible(), name);
            QCOMPARE(d.AngleEdit()->text(), QString("0"));
            QVERIFY2(Destination(f.state()) == start.pixels, name);
            QCOMPARE(d.Model().RowArguments(), Words{"0"});
            QCOMPARE(f.state().DestModified, 1);
            QVERIFY(!f.zone().HasZone());
        }
    }

    // The field holds 7, applied; then `text` is typed and `action` taken. `angle` is what the
    // exchange leaves in RotateAngle, `shown` the angle the picture is turned by at the end.
    void theDegreeFieldIsCheckedAsIntegerFieldsAre_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("angle");
        QTest::addColumn<int>("shown");
        QTest::addColumn<bool>("open");
        const QString integer = "Please enter an integer.";
        const QString range = "Please enter an integer between 0 and 359.";
        QTest::newRow("text, Apply") << "ten"
                                     << "apply" << integer << 7 << 7 << true;
        QTest::newRow("360, Apply") << "360"
                                    << "apply" << range << 360 << 360 << true;
        QTest::newRow("-1, OK") << "-1"
                                << "ok" << range << -1 << -1 << true;
        QTest::newRow("empty, OK") << ""
                                   << "ok" << integer << 7 << 7 << true;
        QTest::newRow("359, OK") << " 359 "
                                 << "ok"
                                 << "" << 359 << 359 << false;
        QTest::newRow("text, Tab") << "1.5"
                                   << "tab" << integer << 7 << 7 << true;
        QTest::newRow("400, Tab") << "400"
                                  << "tab" << range << 400 << 7 << true;
        QTest::newRow("12, Tab") << "12"
                                 << "tab"
                                 << "" << 12 << 7 << true;
    }

    void theDegreeFieldIsCheckedAsIntegerFieldsAre() {
        QFETCH(QString, text);
        QFETCH(QString, action);
        QFETCH(QString, message);
        QFETCH(int, angle);
        QFETCH(int, shown);
        QFETCH(bool, open);
        AppFixture f;
        OpenPicture(f);
        const Start start(f.state());
        CRotateDlg d(f.state(), f.view(), &f.frame());
        Show(d);
        d.AngleEdit()->setText("7");
        d.Button(253)->click();
        d.AngleEdit()->setFocus();
        d.AngleEdit()->setText(text);
        ScopedMessageHook messages;
        if (action == "tab") QTest::keyClick(d.AngleEdit(), Qt::Key_Tab);
        if (action == "apply") d.Button(253)->click();
        if (action == "ok") d.Button(1)->click();
        QCOMPARE(messages.Texts(), message.isEmpty() ? QStringList() : QStringList({message}));
        QCOMPARE(d.isVisible(), open);
        QCOMPARE(d.Model().RotateAngle(), angle);
        if (!message.isEmpty()) QCOMPARE(QApplication::focusWidget(), d.AngleEdit());
        if (action == "tab" && message.isEmpty())
            QCOMPARE(QApplication::focusWidget(), d.Button(2));
        QVERIFY(Destination(f.state()) ==
                Destination(*start.Run("rotate", {std::to_string(shown)})));
    }

    void theThreeCommandsFollowTheEffectRuleAndOpenTheirDialogs() {
        QTemporaryDir dir;
        AppFixture f;
        const int ids[] = {kBrightnessContrast, kSpecialEffects, kRotateDestination};
        // An empty destination: off while the destination is active, on with no view active.
        for (int id : ids) QVERIFY(!f.Enabled(id));
        f.frame().MdiArea().setActiveSubWindow(nullptr);
        for (int id : ids) QVERIFY(f.Enabled(id));
        OpenThroughCommand(f, WritePicture(QDir(dir.path()), "a.bmp", 24, 16));
        QVERIFY(RunInSource(f, 1, kCopy));
        for (int id : ids) QVERIFY(!f.Enabled(id));
        f.ActivateDestination();
        for (int id : ids) QVERIFY(f.Enabled(id));

        QString titles;
        QVERIFY(RunDialogCommand<CBrightnessDlg>(f, kBrightnessContrast, [&](CBrightnessDlg& d) {
            titles += d.windowTitle() + (d.isModal() ? " modal;" : ";");
            d.Button(1)->click();
        }));
        QVERIFY(
            RunDialogCommand<CSpecialEffectsDlg>(f, kSpecialEffects, [&](CSpecialEffectsDlg& d) {
                titles += d.windowTitle() + (d.isModal() ? " modal;" : ";");
                d.reject();
            }));
        QVERIFY(RunDialogCommand<CRotateDlg>(f, kRotateDestination, [&](CRotateDlg& d) {
            titles += d.windowTitle() + (d.isModal() ? " modal;" : ";");
            d.reject();
        }));
        QCOMPARE(titles, QString("Adjust Brightness & Contrast modal;Special Effects modal;Rotate "
                                 "Destination Image modal;"));
        QCOMPARE(f.state().DestModified, 1);
        QVERIFY(f.view().Title().contains("<modified>"));
    }
};

QTEST_MAIN(EffectDialogsTest)
#include "effect_dialogs_test.moc"
