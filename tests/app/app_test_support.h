#pragma once
#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QPoint>
#include <QRegion>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/dest_window.h"
#include "app/main_frame.h"
#include "app/wendral_app.h"
#include "core/pixel.h"
#include "core/source_view.h"
#include "core/sources.h"
#include "dialogs/message_service.h"

namespace wendral::app::testing {

// A started application (main frame shown offscreen, the data files of the build), with
// source pictures attached to the engine as the source windows would attach them.
// The parts of a widget painted since the last Take (a grab paints too).
class PaintRecorder : public QObject {
  public:
    explicit PaintRecorder(QWidget& widget) : widget_(widget) { widget.installEventFilter(this); }
    ~PaintRecorder() override { widget_.removeEventFilter(this); }
    QRegion Take() { return std::exchange(painted_, QRegion()); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) painted_ += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

  private:
    QWidget& widget_;
    QRegion painted_;
};

// A picture of width x height whose pixel (x, y) is colour(x, y), read as a picture file would be.
PictureLoader PictureOf(int width, int height, std::function<Bgr(int, int)> colour);

class AppFixture {
  public:
    explicit AppFixture(QString dataDirectory = WENDRAL_DATA_DIR);
    ~AppFixture();

    CWendralApp& app() { return *app_; }
    WendralState& state() { return app_->State(); }
    CMainFrame& frame() { return *app_->MainFrame(); }
    CDestview& view() { return *app_->DestView(); }
    Zone& zone() { return view().DestZone(); }
    CommandRouter& router() { return frame().Router(); }

    // A source of width x height whose pixel (x, y) is colour(x, y); the destination is rebuilt
    // from it and the start-up help dropped, as the first source frame does.
    SourceView& AddSource(int width, int height, std::function<Bgr(int, int)> colour);
    SourceView& AddSource(int width, int height, Bgr colour);

    // The destination frame active, so that its commands route.
    void ActivateDestination();

    // Left-button drag in the destination view, in view coordinates.
    void Drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton);
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton);

    bool Enabled(int id);
    bool Checked(int id);

  private:
    std::unique_ptr<ScopedMessageHook> startupMessages_;
    std::unique_ptr<CWendralApp> app_;
    std::vector<std::unique_ptr<SourceView>> sources_;
};

// Runs `command` through the router and hands its modal dialog to `drive` once it shows.
template <class Dialog>
bool RunDialogCommand(AppFixture& f, int command, const std::function<void(Dialog&)>& drive) {
    bool driven = false;
    std::function<void()> find = [&] {
        auto* d = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!d) return QTimer::singleShot(10, find);
        driven = true;
        drive(*d);
    };
    QTimer::singleShot(0, find);
    return f.router().Execute(command) && driven;
}

}  // namespace wendral::app::testing
