// Times presses through the real destination window (action, router, view, repaint) against
// the engine alone doing the same presses on its own state, in the same run. Each phase is a
// command pressed repeatedly on a full-size picture; a phase may bring its own window and step.
#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMdiSubWindow>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/dest_window.h"
#include "app/main_frame.h"
#include "app/message_service.h"
#include "app/wendral_app.h"
#include "core/dest_state.h"
#include "core/limits.h"
#include "core/nudge_twist.h"
#include "core/radial_distort.h"
#include "core/source_view.h"
#include "core/sources.h"
#include "core/zone.h"

namespace {

using namespace wendral;
using namespace wendral::app;
using Clock = std::chrono::steady_clock;

constexpr int kRounds = 3;
constexpr double kTargetRatio = 1.5;

// The same repeatable picture in both the window's state and the engine's.
void FillPicture(std::uint8_t* d) {
    std::uint32_t x = 12345;
    for (std::size_t i = 0; i < kStoreBytes; ++i) {
        x = x * 1103515245u + 12345u;
        d[i] = static_cast<std::uint8_t>(x >> 16);
    }
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
// `window` and `engine` are one press each.
struct Phase {
    std::string name;
    int presses;
    std::function<void()> reset;
    std::function<void()> window;
    std::function<void()> engine;
};

template <class Press>
double TimePresses(int presses, const Press& press) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < presses; ++i) press();
    return std::chrono::duration<double>(Clock::now() - start).count() / presses;
}

// The destination window and, beside it, an engine of its own.
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
        app_->MainFrame()->BringToTop(app_->DestFrame());
        app_->DestFrame()->showMaximized();
        OpenFullSource();
        FillPicture(engineState_->DestinationStore());
        engineState_->DestWidth = kMaxWidth;
        engineState_->DestHeight = kMaxHeight;
        view().installEventFilter(&paints_);
        QApplication::processEvents();
    }

    ~Bench() {
        WendralState& s = app_->State();
        for (int n = 1; n <= 2; ++n) s.SourceViews[n] = nullptr;
        s.SourceCount = 0;
        view().removeEventFilter(&paints_);
        app_.reset();
    }

    CDestview& view() { return *app_->DestView(); }

    // Both pictures back to the filled one, the zone placed, the window fully redrawn.
    void Reset() {
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

    void WindowPress(int id) {
        app_->MainFrame()->Router().Action(id)->trigger();
        QApplication::processEvents();
    }

    std::vector<Phase> Phases() {
        const auto reset = [this] { Reset(); };
        return {
            {"explode", 100, reset, [this] { WindowPress(kExplode); },
             [this] { Explode(*engineState_, engineZone_); }},
            {"nudge upward", 100, reset, [this] { WindowPress(kNudgeUpward); },
             [this] { engineNudge_.Run(ZoneCommand::NudgeUpward, *engineState_, engineZone_); }},
        };
    }

    // The window's last picture must be the engine's: the same presses did the same work.
    bool SamePictures() const {
        const WendralState& s = app_->State();
        if (s.DestWidth != engineState_->DestWidth || s.DestHeight != engineState_->DestHeight) return false;
        return std::memcmp(s.DestinationStore(), engineState_->DestinationStore(), s.DestBytes()) == 0;
    }

    // The zone converted and repainted with no engine work: what the window adds to a press
    // before the router and the status refresh.
    double ZoneRedrawAlone(int presses) {
        Reset();
        const QRect zone(40, 30, 600, 400);
        return TimePresses(presses, [&] {
            view().RedrawDestination(zone);
            QApplication::processEvents();
        });
    }

    int Paints() const { return paints_.paints; }
    long long ConvertedRows() { return view().ConvertedRows(); }
    QSize ViewSize() { return view().size(); }
    QSize PictureSize() { return QSize(app_->State().DestWidth, app_->State().DestHeight); }

private:
    void OpenFullSource() {
        source_ = std::make_unique<SourceView>();
        source_->SetClientSize(kMaxWidth, kMaxHeight);
        const PictureLoader loader = [](const std::string&, int, SourceDocument& doc, Messages&) {
            doc.packet = MakePicturePacket(kMaxWidth, kMaxHeight, nullptr);
            FillPicture(doc.packet.data() + PicturePacket::kHeaderSize);
            doc.PictureWidth = kMaxWidth;
            doc.PictureHeight = kMaxHeight;
            doc.SourcePath = "bench.bmp";
            return true;
        };
        WendralState& s = app_->State();
        OpenSource(s, view().DestZone(), *source_, "bench.bmp", loader);
        view().DropStartupHelp();
    }

    std::unique_ptr<ScopedMessageHook> startupMessages_ = std::make_unique<ScopedMessageHook>();
    std::unique_ptr<CWendralApp> app_;
    std::unique_ptr<SourceView> source_;
    std::unique_ptr<WendralState> engineState_ = std::make_unique<WendralState>();
    Zone engineZone_;
    NudgeTwist engineNudge_;
    PaintCounter paints_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    ScopedMessageHook messages(MessageAnswer::No);
    Bench bench;
    if (!wendral::app::CWendralApp::Instance()->State().PicturePresent()) {
        std::fprintf(stderr, "the destination holds no picture\n");
        return 1;
    }
    std::printf("destination %d x %d, zone 600 x 400, view %d x %d, best of %d rounds\n", bench.PictureSize().width(),
                bench.PictureSize().height(), bench.ViewSize().width(), bench.ViewSize().height(), kRounds);
    std::printf("%-14s %8s %12s %12s %8s %15s\n", "phase", "presses", "window ms", "engine ms", "ratio",
                "rows per press");
    bool sound = true, withinTarget = true;
    for (const Phase& phase : bench.Phases()) {
        double window = 0, engine = 0, rowsPerPress = 0;
        for (int round = 0; round < kRounds; ++round) {
            // Both sides start from the same picture and zone, one right after the other.
            phase.reset();
            const double e = TimePresses(phase.presses, phase.engine);
            const long long rows = bench.ConvertedRows();
            const int paints = bench.Paints();
            const double w = TimePresses(phase.presses, phase.window);
            rowsPerPress = double(bench.ConvertedRows() - rows) / phase.presses;
            if (bench.Paints() - paints < phase.presses) {
                std::fprintf(stderr, "%s: %d repaints for %d presses\n", phase.name.c_str(), bench.Paints() - paints,
                             phase.presses);
                sound = false;
            }
            if (!bench.SamePictures()) {
                std::fprintf(stderr, "%s: the window's picture is not the engine's\n", phase.name.c_str());
                sound = false;
            }
            if (round == 0 || e < engine) engine = e;
            if (round == 0 || w < window) window = w;
        }
        const double ratio = window / engine;
        std::printf("%-14s %8d %12.3f %12.3f %8.2f %15.1f\n", phase.name.c_str(), phase.presses, window * 1e3,
                    engine * 1e3, ratio, rowsPerPress);
        withinTarget = withinTarget && ratio <= kTargetRatio;
    }
    std::printf("zone conversion and repaint alone: %.3f ms per press\n", bench.ZoneRedrawAlone(100) * 1e3);
    if (!messages.Texts().isEmpty()) {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(messages.Texts().front()));
        sound = false;
    }
    std::printf("windows within %.0f %% of the engine: %s\n", (kTargetRatio - 1) * 100, withinTarget ? "yes" : "no");
    return sound ? 0 : 1;
}
