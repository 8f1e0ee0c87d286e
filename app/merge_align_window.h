#pragma once
#include <QImage>
#include <QLine>
#include <QMdiSubWindow>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/command_router.h"
#include "app/doc_template.h"
#include "app/source_window.h"
#include "core/source_document.h"
#include "core/source_view.h"

namespace wendral::app {

class CWendralApp;

inline constexpr const char* kMergeAlignTitle =
    "Merge - Align Window   (Use left/right mouse to align)";
// The trailing blanks make the opaque text backgrounds of the two lines end (nearly) together.
inline constexpr const char* kMergeAlignEmptyLine1 =
    "This merge view window is empty because it requires ";
inline constexpr const char* kMergeAlignEmptyLine2 =
    "two source windows to merge.                         ";

// The merge-align view: what the two source windows show, laid over each other at half
// strength, top-left corners together as the merge combines them. A left-button drag moves
// source 1 and a right-button drag source 2, by scrolling that source's window when the button
// is released; the destination is rebuilt from the sources then. With fewer than two sources
// it shows why it is empty and the mouse does nothing.
class CMergeView : public QWidget, public CommandTarget {
    Q_OBJECT
  public:
    explicit CMergeView(CWendralApp& app, QWidget* parent = nullptr);

    // The dotted line of the drag in progress, from the press to the pointer.
    std::optional<QLine> DragLine() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    // The overlay of what the sources show now; during a drag the sources stay as they were,
    // so the one made at the start serves every mouse move.
    const QImage& Overlay();
    void PaintEmpty(QPainter& p);

    struct Drag {
        Qt::MouseButton button;
        int source;
        QPoint start;
        ScrollPoint startScroll;
        QPoint pointer;
    };

    // What the overlay was made from: both sources and how often each had been rendered.
    struct OverlayKey {
        const SourceView* one = nullptr;
        const SourceView* two = nullptr;
        std::uint64_t rendersOne = 0;
        std::uint64_t rendersTwo = 0;
        friend bool operator==(const OverlayKey&, const OverlayKey&) = default;
    };

    CWendralApp& app_;
    std::optional<Drag> drag_;
    std::vector<std::uint8_t> rows_;  // the overlay's blue, green, red rows
    QImage overlay_;
    std::optional<OverlayKey> overlayKey_;
};

// The merge-align window: a plain sub-window around the view, with a source document that holds
// no picture (so "Save Destination As..." is off while it is active, as with a source window).
// There is at most one; the application keeps it as MergeAlignFrame.
class CMergeChild : public QMdiSubWindow, public RoutedFrame {
    Q_OBJECT
  public:
    explicit CMergeChild(CWendralApp& app);

    CMergeView& View() { return *view_; }

    CommandTarget* RouteView() override { return view_; }
    CommandTarget* RouteDocument() override { return &doc_; }
    CommandTarget* RouteFrame() override { return nullptr; }
    ViewRole Role() const override { return ViewRole::MergeAlign; }

  private:
    SourceDocument document_;
    CWendralDoc doc_;
    CMergeView* view_;
};

// Template 250: opens the merge-align window.
class MergeAlignTemplate : public DocTemplate {
  public:
    explicit MergeAlignTemplate(CWendralApp& app)
        : DocTemplate(kMergeAlignTemplate, "Merge"), app_(app) {}
    bool OpenDocumentFile(const QString& path) override;

  private:
    CWendralApp& app_;
};

}  // namespace wendral::app
