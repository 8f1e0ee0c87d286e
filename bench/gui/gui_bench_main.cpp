// Times presses through the real windows (action, router, view, repaint) against the engine
// alone doing the same presses on its own state, in the same run: distortions of a zone of the
// full-size destination, scroll steps of the source window the destination is built from, and
// the merge dialog's bias slider over two full-size sources.
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/background.h"
#include "app/commands.h"
#include "app/dest_window.h"
#include "app/main_frame.h"
#include "app/source_window.h"
#include "app/wendral_app.h"
#include "core/dest_state.h"
#include "core/distortion_engine.h"
#include "core/limits.h"
#include "core/merge.h"
#include "core/merge_dialog.h"
#include "core/rotate.h"
#include "core/source_view.h"
#include "core/sources.h"
#include "core/special_effect.h"
#include "core/tone_curve.h"
#include "core/zone.h"
#include "dialogs/brightness_dialog.h"
#include "dialogs/merge_dialog.h"
#include "dialogs/message_service.h"
#include "dialogs/rotate_dialog.h"
#include "dialogs/special_effects_dialog.h"
#include "io/bmp.h"
#include "io/file_bytes.h"
#include "io/picture_file.h"

namespace {

using namespace wendral;
using namespace wendral::app;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 9;
constexpr double kTargetRatio = 1.5;

// The scrolled source: larger than its window both ways, so that it scrolls.
constexpr int kSourceWidth = 3072;
constexpr int kSourceHeight = 2304;
constexpr int kScrollSteps = 50;
constexpr int kBiasNotifications = 50;

// The same repeatable bytes in both the window's state and the engine's.
void FillBytes(std::uint8_t* d, std::size_t n) {
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        d[i] = static_cast<std::uint8_t>(x >> 16);
    }
}

void FillPicture(std::uint8_t* d) {
    FillBytes(d, kStoreBytes);
}

void PlaceZone(Zone& zone) {
    zone.ResetZone();
    zone.x1 = 40;
    zone.y1 = 30;
    zone.x2 = 40 + 600 - 1;
    zone.y2 = 30 + 400 - 1;
}

// Counts the paint events a widget receives, to prove each press reached the screen.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// One timed phase: `reset` puts both sides back to the phase's start outside the timing;
// `window` and `engine` are one press each, `paints` the repaints that show the window's.
struct Phase {
    std::string name;
    int presses;
    std::function<void()> reset;
    std::function<void()> window;
    std::function<void()> engine;
    std::function<int()> paints;
};

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class Press>
double TimePresses(int presses, const Press& press) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < presses; ++i) press();
    return std::chrono::duration<double>(Clock::now() - start).count() / presses;
}

// How far scroll step `i` (from 1) has moved the picture: down a line at a time, then back up,
// so that the picture always fills the window.
constexpr int kScrollLines = 12;
std::int64_t ScrollStepOffset(int i, std::int64_t line) {
    const int k = i % (2 * kScrollLines);
    return (k <= kScrollLines ? k : 2 * kScrollLines - k) * line;
}

// The windows, with a source window the size of the largest destination, and beside them an
// engine of its own holding the same source.
class Bench {
  public:
    Bench() {
        CWendralApp::Options options;
        options.dataDirectory = WENDRAL_DATA_DIR;
        options.screen = QSize(1600, 1200);
        app_ = std::make_unique<CWendralApp>(options);
        app_->InitInstance();
        startupMessages_.reset();
        app_->MainFrame()->resize(1400, 1000);
        QApplication::processEvents();
        WriteSourceFile();
        if (!app_->OpenSourceFile(sourcePath_) || !app_->SourceFrames[1]) return;
        sourceFrame_ = static_cast<CChildFrame*>(app_->SourceFrames[1].data());
        SizeSourceWindow(*sourceFrame_);
        OpenEngineSource();
        // The destination fills the area in front of the source window, as a user would place it.
        app_->DestFrame()->setGeometry(app_->MainFrame()->MdiArea().viewport()->rect());
        view().installEventFilter(&destPaints_);
        sourceFrame_->View().viewport()->installEventFilter(&sourcePaints_);
        QApplication::processEvents();
    }

    ~Bench() {
        CloseDialogs();
        if (sourceFrame_) sourceFrame_->View().viewport()->removeEventFilter(&sourcePaints_);
        view().removeEventFilter(&destPaints_);
        mergeDialog_.reset();
        app_.reset();
    }

    bool Ready() const {
        const WendralState& s = app_->State();
        return sourceFrame_ && s.PicturePresent() && s.DestWidth == kMaxWidth &&
               s.DestHeight == kMaxHeight && engineState_->DestWidth == kMaxWidth &&
               engineState_->DestHeight == kMaxHeight;
    }

    CDestview& view() { return *app_->DestView(); }
    CWendralView& sourceView() { return sourceFrame_->View(); }

    // Both pictures back to the filled one, the zone placed, the destination in front and
    // fully redrawn.
    void ResetDistortion() {
        app_->MainFrame()->BringToTop(app_->DestFrame());
        WendralState& s = app_->State();
        FillPicture(s.DestinationStore());
        s.SnapshotDestination();
        PlaceZone(view().DestZone());
        view().RedrawDestination();
        QApplication::processEvents();
        FillPicture(engineState_->DestinationStore());
        engineState_->SnapshotDestination();
        PlaceZone(engineZone_);
    }

    // Both sources with the picture's top left corner at the window's, nothing to guard, the
    // source window in front. The scroll area has a margin of the client's size all round.
    void ResetScroll() {
        app_->MainFrame()->BringToTop(sourceFrame_);
        WendralState& s = app_->State();
        s.DestModified = engineState_->DestModified = 0;
        CloseSecondSource();
        sourceView().horizontalScrollBar()->setValue(kMaxWidth);
        sourceView().verticalScrollBar()->setValue(kMaxHeight);
        QApplication::processEvents();
        ScrollSourceTo(*engineState_, engineZone_, 1, kMaxWidth, kMaxHeight);
        windowStep_ = engineStep_ = 0;
    }

    void WindowPress(int id) {
        app_->MainFrame()->Router().Action(id)->trigger();
        QApplication::processEvents();
    }

    void WindowScroll() {
        const std::int64_t line = sourceFrame_->Model().LineStep().y;
        sourceView().verticalScrollBar()->setValue(
            kMaxHeight + static_cast<int>(ScrollStepOffset(++windowStep_, line)));
        QApplication::processEvents();
    }

    void EngineScroll() {
        const std::int64_t line = engineSource_->LineStep().y;
        ScrollSource(*engineState_, engineZone_, 1, kMaxWidth,
                     kMaxHeight + ScrollStepOffset(++engineStep_, line));
    }

    std::vector<Phase> Phases() {
        const auto reset = [this] { ResetDistortion(); };
        const auto destPaints = [this] { return destPaints_.paints; };
        return {
            {"explode", 100, reset, [this] { WindowPress(kExplode); },
             [this] { engine_.Press(Distortion::Explode, *engineState_, engineZone_); },
             destPaints},
            {"nudge upward", 100, reset, [this] { WindowPress(kNudgeUpward); },
             [this] { engine_.Press(Distortion::NudgeUpward, *engineState_, engineZone_); },
             destPaints},
            {"scroll source", kScrollSteps, [this] { ResetScroll(); }, [this] { WindowScroll(); },
             [this] { EngineScroll(); }, [this] { return sourcePaints_.paints; }},
            ToneSliderPhase(),
            RotateMarkerPhase(),
            SpecialSpinPhase(),
            {"merge bias", kBiasNotifications, [this] { ResetMerge(); }, [this] { WindowBias(); },
             [this] { EngineBias(); }, destPaints},
        };
    }

    // The effect dialogs' phases: each round opens the dialog afresh over the filled picture,
    // and beside it the engine's model of the same dialog over the engine's copy.
    void CloseDialogs() {
        toneDialog_.reset();
        rotateDialog_.reset();
        specialDialog_.reset();
        engineTone_.reset();
        engineRotate_.reset();
        engineSpecial_.reset();
    }

    void ResetDialog(QDialog* dialog) {
        dialog->show();
        QApplication::setActiveWindow(dialog);
        QApplication::processEvents();
        dialogStep_ = engineStep_ = 0;
    }

    void ResetEffectDialog() {
        CloseDialogs();
        ResetDistortion();
        engineState_->Random = app_->State().Random;
    }

    // A drag of the master contrast slider: every move is a notification.
    static int ContrastAt(int step) { return 64 + 3 * step; }
    Phase ToneSliderPhase() {
        return {"tone slider",
                50,
                [this] {
                    ResetEffectDialog();
                    toneDialog_ =
                        std::make_unique<CBrightnessDlg>(app_->State(), view(), app_->MainFrame());
                    engineTone_ =
                        std::make_unique<BrightnessDialogState>(*engineState_, engineZone_);
                    ResetDialog(toneDialog_.get());
                    toneDialog_->Slider(ToneSlider::MasterContrast)->setSliderDown(true);
                },
                [this] {
                    toneDialog_->Slider(ToneSlider::MasterContrast)
                        ->setSliderPosition(ContrastAt(++dialogStep_));
                    QApplication::processEvents();
                },
                [this] {
                    engineTone_->SliderMoved(ToneSlider::MasterContrast, ContrastAt(++engineStep_));
                },
                [this] { return destPaints_.paints; }};
    }

    // The marker dragged once round the ring, 18 degrees a move, from a press at the centre.
    static QPoint RingPoint(int step) {
        const double a = step * 18 * 3.141592653589793 / 180;
        return QPoint(kDialCentreX + static_cast<int>(std::lround(48 * std::sin(a))),
                      kDialCentreY - static_cast<int>(std::lround(48 * std::cos(a))));
    }
    void SendToRotateDialog(QEvent::Type type, QPoint dialPoint) {
        CRotateDlg& d = *rotateDialog_;
        const QPoint at = d.Dial()->mapTo(&d, d.Dial()->FromDial(dialPoint));
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), d.mapToGlobal(QPointF(at)), button, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&d, &event);
    }
    Phase RotateMarkerPhase() {
        return {"rotate marker",
                20,
                [this] {
                    ResetEffectDialog();
                    rotateDialog_ =
                        std::make_unique<CRotateDlg>(app_->State(), view(), app_->MainFrame());
                    engineRotate_ = std::make_unique<RotateDialogState>(*engineState_, engineZone_);
                    ResetDialog(rotateDialog_.get());
                    SendToRotateDialog(QEvent::MouseButtonPress,
                                       QPoint(kDialCentreX, kDialCentreY));
                    engineRotate_->Press(kDialCentreX, kDialCentreY);
                },
                [this] {
                    SendToRotateDialog(QEvent::MouseMove, RingPoint(++dialogStep_));
                    QApplication::processEvents();
                },
                [this] {
                    const QPoint at = RingPoint(++engineStep_);
                    engineRotate_->Move(at.x(), at.y());
                },
                [this] { return destPaints_.paints; }};
    }

    // Clicks on the right arrow of the top spin button: the step and the end notification.
    void ClickSpin(QEvent::Type type) {
        CSpinButton* spin = specialDialog_->Spin(SpecialParam::XorShift);
        const QPointF at = spin->ArrowRect(1).center();
        QMouseEvent event(type, at, spin->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(spin, &event);
    }
    Phase SpecialSpinPhase() {
        return {"special spin",
                20,
                [this] {
                    ResetEffectDialog();
                    specialDialog_ = std::make_unique<CSpecialEffectsDlg>(app_->State(), view(),
                                                                          app_->MainFrame());
                    engineSpecial_ =
                        std::make_unique<SpecialEffectsDialogState>(*engineState_, engineZone_);
                    ResetDialog(specialDialog_.get());
                },
                [this] {
                    ClickSpin(QEvent::MouseButtonPress);
                    ClickSpin(QEvent::MouseButtonRelease);
                    QApplication::processEvents();
                },
                [this] {
                    engineSpecial_->ParameterChanged(SpecialParam::XorShift, ++engineStep_);
                    engineSpecial_->Render();
                },
                [this] { return destPaints_.paints; }};
    }

    // The window's last picture must be the engine's: the same presses did the same work.
    bool SamePictures() const {
        const WendralState& s = app_->State();
        if (s.DestWidth != engineState_->DestWidth || s.DestHeight != engineState_->DestHeight)
            return false;
        if (sourceFrame_ &&
            sourceFrame_->Model().ScrollPosition() != engineSource_->ScrollPosition())
            return false;
        return std::memcmp(s.DestinationStore(), engineState_->DestinationStore(), s.DestBytes()) ==
               0;
    }

    // The zone converted and repainted with no engine work: what the window adds to a press
    // before the router and the status refresh.
    double ZoneRedrawAlone(int presses) {
        ResetDistortion();
        const QRect zone(40, 30, 600, 400);
        return TimePresses(presses, [&] {
            view().RedrawDestination(zone);
            QApplication::processEvents();
        });
    }

    // The merge dialog open over two full-size sources on both sides, at its opening settings,
    // the destination in front and shown.
    void ResetMerge() {
        OpenSecondSource();
        mergeDialog_.reset();
        app_->MainFrame()->BringToTop(app_->DestFrame());
        WendralState& s = app_->State();
        Messages messages;
        PrepareMerge(s, messages);
        mergeDialog_ = std::make_unique<CMergeDlg>(
            s, [this] { view().MergeNow(); }, app_->MainFrame());
        mergeDialog_->show();
        view().RedrawDestination();
        QApplication::processEvents();
        PrepareMerge(*engineState_, messages);
        engineMerge_ = std::make_unique<MergeDialogModel>(*engineState_);
        engineBias_ = MergeDialogModel::kBiasStart;
    }

    // One press of the right arrow on the bias slider: the dialog merges and the destination
    // repaints inside the key's event.
    void WindowBias() {
        QKeyEvent key(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(mergeDialog_->BiasSlider(), &key);
        QApplication::processEvents();
    }

    void EngineBias() {
        Messages messages;
        if (engineMerge_->SlidersMoved(++engineBias_, MergeDialogModel::kThresholdSliderStart))
            MergeSources(*engineState_, engineZone_, engineSource_->Image(),
                         engineSource2_->Image(), messages);
    }

    // What a user's pause before the first press does: the reset's own change ends as a step of
    // its own, and that step is packed before the presses begin, as it would be by then.
    void EndResetStep() {
        view().CommitStep();
        view().UndoHistory().LastStepBytes();
    }

    long long ConvertedRows() { return view().ConvertedRows(); }
    QSize ViewSize() { return view().size(); }
    QSize SourceClientSize() { return sourceView().viewport()->size(); }
    QSize PictureSize() { return QSize(app_->State().DestWidth, app_->State().DestHeight); }

  private:
    void WriteSourceFile() {
        std::vector<std::uint8_t> rows(std::size_t{kSourceWidth} * 3 * kSourceHeight);
        FillBytes(rows.data(), rows.size());
        const std::vector<std::uint8_t> file =
            BmpFileBytes(rows.data(), std::size_t{kSourceWidth} * 3, kSourceWidth, kSourceHeight);
        sourcePath_ = folder_.filePath("bench.bmp");
        WriteFileAtomically(sourcePath_.toStdString(), file.data(), file.size());
    }

    // The frame grows until its view's client area is the largest destination; the bars take
    // their room first.
    void SizeSourceWindow(CChildFrame& frame) {
        for (int i = 0; i < 3; ++i) {
            const QSize client = frame.View().viewport()->size();
            frame.resize(frame.size() + QSize(kMaxWidth, kMaxHeight) - client);
            QApplication::processEvents();
        }
    }

    // Source 2 on both sides, as large as source 1's window, with other bytes.
    void OpenSecondSource() {
        if (app_->SourceFrames[2]) return;
        if (source2Path_.isEmpty()) {
            std::vector<std::uint8_t> rows(std::size_t{kMaxWidth} * 3 * kMaxHeight);
            FillBytes(rows.data(), rows.size());
            for (std::uint8_t& b : rows) b = static_cast<std::uint8_t>(b ^ 0x5A);
            const std::vector<std::uint8_t> file =
                BmpFileBytes(rows.data(), std::size_t{kMaxWidth} * 3, kMaxWidth, kMaxHeight);
            source2Path_ = folder_.filePath("bench2.bmp");
            WriteFileAtomically(source2Path_.toStdString(), file.data(), file.size());
        }
        WendralState& s = app_->State();
        s.DestModified = engineState_->DestModified = 0;
        app_->OpenSourceFile(source2Path_);
        if (app_->SourceFrames[2])
            SizeSourceWindow(*static_cast<CChildFrame*>(app_->SourceFrames[2].data()));
        engineSource2_ = std::make_unique<SourceView>();
        engineSource2_->SetClientSize(kMaxWidth, kMaxHeight);
        const PictureLoader loader = [](const std::string& path, int count, SourceDocument& doc,
                                        Messages& out) {
            return LoadPictureFile(path, count, doc, out);
        };
        OpenSource(*engineState_, engineZone_, *engineSource2_, source2Path_.toStdString(), loader);
    }

    // The other phases work on source 1 alone.
    void CloseSecondSource() {
        mergeDialog_.reset();
        if (app_->SourceFrames[2]) {
            app_->SourceFrames[2]->close();
            QApplication::processEvents();
        }
        if (engineSource2_ && engineState_->SourceCount == 2)
            CloseSource(*engineState_, engineZone_, 2);
        engineSource2_.reset();
    }

    void OpenEngineSource() {
        engineSource_->SetClientSize(kMaxWidth, kMaxHeight);
        const PictureLoader loader = [](const std::string& path, int count, SourceDocument& doc,
                                        Messages& out) {
            return LoadPictureFile(path, count, doc, out);
        };
        OpenSource(*engineState_, engineZone_, *engineSource_, sourcePath_.toStdString(), loader);
    }

    QTemporaryDir folder_;
    QString sourcePath_;
    std::unique_ptr<ScopedMessageHook> startupMessages_ = std::make_unique<ScopedMessageHook>();
    std::unique_ptr<CWendralApp> app_;
    CChildFrame* sourceFrame_ = nullptr;
    std::unique_ptr<WendralState> engineState_ = std::make_unique<WendralState>();
    std::unique_ptr<SourceView> engineSource_ = std::make_unique<SourceView>();
    Zone engineZone_;
    DistortionEngine engine_;
    QString source2Path_;
    std::unique_ptr<SourceView> engineSource2_;
    std::unique_ptr<CMergeDlg> mergeDialog_;
    std::unique_ptr<MergeDialogModel> engineMerge_;
    int engineBias_ = 0;
    PaintCounter destPaints_, sourcePaints_;
    int windowStep_ = 0, engineStep_ = 0, dialogStep_ = 0;
    std::unique_ptr<CBrightnessDlg> toneDialog_;
    std::unique_ptr<CRotateDlg> rotateDialog_;
    std::unique_ptr<CSpecialEffectsDlg> specialDialog_;
    std::unique_ptr<BrightnessDialogState> engineTone_;
    std::unique_ptr<RotateDialogState> engineRotate_;
    std::unique_ptr<SpecialEffectsDialogState> engineSpecial_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    ScopedMessageHook messages(MessageAnswer::No);
    Bench bench;
    if (!bench.Ready()) {
        std::fprintf(stderr, "the windows do not hold the full-size source and destination\n");
        return 1;
    }
    std::printf(
        "destination %d x %d, zone 600 x 400, view %d x %d, source %d x %d in a %d x %d window, "
        "median of %d rounds\n",
        bench.PictureSize().width(), bench.PictureSize().height(), bench.ViewSize().width(),
        bench.ViewSize().height(), kSourceWidth, kSourceHeight, bench.SourceClientSize().width(),
        bench.SourceClientSize().height(), kRounds);
    std::printf("%-14s %8s %12s %12s %8s %15s\n", "phase", "presses", "window ms", "engine ms",
                "ratio", "rows per press");
    bool sound = true, withinTarget = true;
    // A phase named on the command line runs alone, for profiling.
    const std::string only = argc > 1 ? argv[1] : "";
    for (const Phase& phase : bench.Phases()) {
        if (!only.empty() && phase.name.find(only) == std::string::npos) continue;
        std::vector<double> windows, engines, ratios;
        double rowsPerPress = 0;
        for (int round = 0; round < kRounds; ++round) {
            // Both sides start from the same picture and zone and run one right after the other,
            // in turn first, so that a slower spell of the machine weighs on both alike.
            phase.reset();
            bench.EndResetStep();
            double e = 0, w = 0;
            const long long rows = bench.ConvertedRows();
            const int paints = phase.paints();
            if (round % 2 == 0) {
                e = TimePresses(phase.presses, phase.engine);
                w = TimePresses(phase.presses, phase.window);
            } else {
                w = TimePresses(phase.presses, phase.window);
                e = TimePresses(phase.presses, phase.engine);
            }
            rowsPerPress = double(bench.ConvertedRows() - rows) / phase.presses;
            if (phase.paints() - paints < phase.presses) {
                std::fprintf(stderr, "%s: %d repaints for %d presses\n", phase.name.c_str(),
                             phase.paints() - paints, phase.presses);
                sound = false;
            }
            if (!bench.SamePictures()) {
                std::fprintf(stderr, "%s: the window's picture is not the engine's\n",
                             phase.name.c_str());
                sound = false;
            }
            windows.push_back(w);
            engines.push_back(e);
            ratios.push_back(w / e);
        }
        const double ratio = Median(ratios);
        std::printf("%-14s %8d %12.3f %12.3f %8.2f %15.1f\n", phase.name.c_str(), phase.presses,
                    Median(windows) * 1e3, Median(engines) * 1e3, ratio, rowsPerPress);
        withinTarget = withinTarget && ratio <= kTargetRatio;
    }
    std::printf("zone conversion and repaint alone: %.3f ms per press\n",
                bench.ZoneRedrawAlone(100) * 1e3);
    if (!messages.Texts().isEmpty()) {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(messages.Texts().front()));
        sound = false;
    }
    std::printf("windows within %.0f %% of the engine: %s\n", (kTargetRatio - 1) * 100,
                withinTarget ? "yes" : "no");
    return sound ? 0 : 1;
}
