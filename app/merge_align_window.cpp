#include "app/merge_align_window.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <climits>
#include <string>

#include "app/dest_window.h"
#include "app/main_frame.h"
#include "app/pixel_rows.h"
#include "app/wendral_app.h"
#include "core/command_table.h"
#include "core/merge_align.h"

namespace wendral::app {
namespace {

const QColor kEmptyColour(207, 255, 160);
const QColor kHatchColour(112, 128, 79);

// Text with its cell filled first, trailing blanks included, as the platform's opaque text is.
void OpaqueText(QPainter& p, QPoint topLeft, const QString& text, const QColor& background) {
    const QFontMetrics metrics = p.fontMetrics();
    const QRect cell(topLeft, QSize(metrics.horizontalAdvance(text), metrics.height()));
    p.fillRect(cell, background);
    p.drawText(cell, Qt::AlignLeft | Qt::AlignTop, text);
}

std::string Number(std::int64_t v) {
    return std::to_string(std::clamp<std::int64_t>(v, -std::int64_t{INT_MAX}, INT_MAX));
}

}  // namespace

// ---- CMergeView ----

CMergeView::CMergeView(CWendralApp& app, QWidget* parent) : QWidget(parent), app_(app) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The merge is the destination view's command, dialog and all; from here it runs the same,
    // whatever the state (it says itself what it lacks).
    OnCommand(kMergeSources, [this] {
        if (CDestview* dest = app_.DestView())
            if (const CommandHandler* merge = dest->FindHandler(kMergeSources); merge && merge->run)
                merge->run();
    });
}

std::optional<QLine> CMergeView::DragLine() const {
    if (!drag_) return std::nullopt;
    return QLine(drag_->start, drag_->pointer);
}

const QImage& CMergeView::Overlay() {
    const WendralState& s = app_.State();
    const SourceView& one = *s.SourceViews[1];
    const SourceView& two = *s.SourceViews[2];
    const OverlayKey key{&one, &two, one.RenderCount(), two.RenderCount()};
    if (drag_ && overlayKey_ == key) return overlay_;
    const SourceImage a = one.Image();
    const SourceImage b = two.Image();
    const OverlaySize size = MergeAlignOverlaySize(a, b);
    const std::size_t stride = 3 * static_cast<std::size_t>(size.width);
    rows_.resize(stride * static_cast<std::size_t>(size.height));
    MergeAlignOverlay(a, b, rows_.data(), stride);
    overlay_ = WidenPart(rows_.data(), stride, QRect(0, 0, size.width, size.height));
    overlayKey_ = key;
    return overlay_;
}

void CMergeView::PaintEmpty(QPainter& p) {
    p.fillRect(rect(), kEmptyColour);
    p.setPen(Qt::black);
    OpaqueText(p, QPoint(10, 20), kMergeAlignEmptyLine1, Qt::white);
    OpaqueText(p, QPoint(10, 40), kMergeAlignEmptyLine2, Qt::white);
}

void CMergeView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const WendralState& s = app_.State();
    if (s.SourceCount != 2 || !s.SourceViews[1] || !s.SourceViews[2]) {
        PaintEmpty(p);
        return;
    }
    const QRect client = rect();
    p.fillRect(client, Qt::white);
    // The strips show where the destination ends, which is not always where the overlay does
    // (a locked destination keeps its size).
    const QBrush hatch(kHatchColour, Qt::DiagCrossPattern);
    if (s.DestWidth < client.width())
        p.fillRect(QRect(s.DestWidth, 0, client.width() - s.DestWidth, client.height()), hatch);
    if (s.DestHeight < client.height())
        p.fillRect(QRect(0, s.DestHeight, client.width(), client.height() - s.DestHeight), hatch);
    const QImage& overlay = Overlay();
    if (!overlay.isNull()) p.drawImage(0, 0, overlay);
    if (drag_) {
        p.setPen(QPen(Qt::black, 0, Qt::DotLine));
        p.setBackgroundMode(Qt::OpaqueMode);
        p.setBackground(Qt::white);
        p.drawLine(drag_->start, drag_->pointer);
    }
}

void CMergeView::mousePressEvent(QMouseEvent* event) {
    // A drag lasts until its own button comes up; the other button meanwhile does nothing.
    if (drag_) return;
    const int source = event->button() == Qt::LeftButton    ? 1
                       : event->button() == Qt::RightButton ? 2
                                                            : 0;
    const WendralState& s = app_.State();
    if (source == 0 || s.SourceCount != 2 || !s.SourceViews[source]) return;
    const QPoint at = event->position().toPoint();
    drag_ = Drag{event->button(), source, at, s.SourceViews[source]->ScrollPosition(), at};
}

void CMergeView::mouseMoveEvent(QMouseEvent* event) {
    if (!drag_) return;
    drag_->pointer = event->position().toPoint();
    update();
}

// Dragging right by 10 scrolls the source 10 towards its left edge, so its picture moves right
// by 10 under the pointer. The scroll is the source window's own, guard and all: a destination
// with changes of its own is not overwritten without the question. A release with no press
// here before it (the press went to another window) does nothing.
void CMergeView::mouseReleaseEvent(QMouseEvent* event) {
    if (!drag_ || event->button() != drag_->button) return;
    const Drag drag = *std::exchange(drag_, std::nullopt);
    const QPoint at = event->position().toPoint();
    const WendralState& s = app_.State();
    CDestview* dest = app_.DestView();
    const CommandRow* scroll = FindCommandWord("scroll", {});
    if (dest && scroll && s.SourceCount == 2 && s.SourceViews[drag.source]) {
        const ScrollPoint origin = s.SourceViews[drag.source]->PictureOrigin;
        const std::string args[] = {
            std::to_string(drag.source),
            Number(drag.startScroll.x + drag.start.x() - at.x() - origin.x),
            Number(drag.startScroll.y + drag.start.y() - at.y() - origin.y)};
        // The drag is one step of the undo history, committed once the mouse is free again.
        dest->NoteStep(QStringLiteral("Align"));
        dest->RunCommand(*scroll, args);
    }
    update();
}

// ---- CMergeChild ----

CMergeChild::CMergeChild(CWendralApp& app) : doc_(document_) {
    setAttribute(Qt::WA_DeleteOnClose);
    view_ = new CMergeView(app, this);
    setWidget(view_);
    setWindowTitle(kMergeAlignTitle);
    app.MergeAlignFrame = this;
}

// ---- Template 250 ----

bool MergeAlignTemplate::OpenDocumentFile(const QString&) {
    auto* frame = new CMergeChild(app_);
    // As large as the first source window, whose client area it overlays, and placed as a new
    // source window would be.
    if (QMdiSubWindow* first = app_.SourceFrames[1]) frame->resize(first->size());
    const QPoint at = app_.MainFrame()->PlaceNewWindow(frame->size());
    app_.MainFrame()->AddSubWindow(frame);
    frame->move(at);
    app_.MainFrame()->BringToTop(frame);
    app_.StateChanged();
    return true;
}

}  // namespace wendral::app
