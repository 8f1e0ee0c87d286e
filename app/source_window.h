#pragma once
#include <QAbstractScrollArea>
#include <QMdiSubWindow>
#include <memory>
#include <optional>

#include "app/command_router.h"
#include "core/command_table.h"
#include "core/source_view.h"

class QToolBar;

namespace wendral::app {

class CWendralApp;
class SourceTemplate;

// The source document: the engine's SourceDocument, which lives in the window's model. While a
// source window is active it keeps "Save Destination As..." off.
class CWendralDoc : public CommandTarget {
  public:
    explicit CWendralDoc(SourceDocument& document);
    SourceDocument& Document() { return document_; }
    bool HoldsPicture() const { return !document_.packet.empty(); }

  private:
    SourceDocument& document_;
};

// The source view: shows what the model's SourcePixels hold, its scroll bars mirror the
// model's range and steps, and every scroll, resize and command becomes one engine call whose
// outcome the template reports.
class CWendralView : public QAbstractScrollArea, public CommandTarget {
    Q_OBJECT
  public:
    CWendralView(CWendralApp& app, SourceTemplate& owner, SourceView& model,
                 QWidget* parent = nullptr);

    SourceView& Model() { return model_; }
    int SourceNumber() const { return model_.SourceNumber; }

    // Reads the viewport's size into the model, laying nothing out (before the first layout).
    void TakeClientSize();
    // From now on scrolls and resizes are source changes.
    void InitialUpdateDone() { initialised_ = true; }
    // The scroll bars take the model's range, steps and position; the window repaints.
    void MirrorModel();

    // The dotted outline of the other source window's client size, while the left button is down.
    std::optional<QRect> Outline() const { return outline_; }
    ScrollPoint MarkPosition() const { return markPosition_; }

    // The scaling dialog's way in, for the set-scale command (and tests): runs the dialog on
    // this view's model.
    void SetScale();
    void Copy();
    void Paste();
    // "Explain these buttons" and the help key: the help page of the source windows.
    void ExplainButtons();
    // Runs a command of the table on this view's source and reports its outcome.
    SourceOutcome RunOnThisSource(const CommandRow& row);

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void RegisterCommands();
    void ViewportResized();
    std::optional<QRect> OtherSourceOutline() const;
    // Brings the viewport to what the model now holds: nothing when nothing was rendered, a
    // shift of what is already there when the one change was a scroll, a repaint otherwise.
    void ShowModel();

    CWendralApp& app_;
    SourceTemplate& owner_;
    SourceView& model_;
    bool initialised_ = false;
    bool mirroring_ = false;
    bool scrolling_ = false;  // inside a scroll of this view's own bars
    // What the viewport was last brought to.
    std::uint64_t shownRenders_ = ~std::uint64_t{0};
    ScrollPoint shownScroll_;
    QSize shownSize_;
    ScrollPoint markPosition_;
    std::optional<QRect> outline_;
    QImage scratch_;  // rows on their way to a painter that cannot take them straight
};

// A source window: a sub-window with toolbar 215 above the view. It owns the model (picture,
// scales, scroll position, SourcePixels), the document and the view. Closing it closes the
// source in the engine, which renumbers source 2 as source 1.
class CChildFrame : public QMdiSubWindow, public RoutedFrame, public CommandTarget {
    Q_OBJECT
  public:
    CChildFrame(CWendralApp& app, SourceTemplate& owner);
    ~CChildFrame() override;

    SourceView& Model() { return *model_; }
    CWendralView& View() { return *view_; }
    CWendralDoc& Document() { return doc_; }
    QToolBar& ToolBar() { return *toolbar_; }
    int SourceNumber() const { return model_->SourceNumber; }

    // The caption follows the model's title.
    void Retitle();

    CommandTarget* RouteView() override { return view_; }
    CommandTarget* RouteDocument() override { return &doc_; }
    CommandTarget* RouteFrame() override { return this; }
    ViewRole Role() const override { return ViewRole::Source; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void RegisterCommands();
    void SynchroniseSize();

    CWendralApp& app_;
    SourceTemplate& owner_;
    std::unique_ptr<SourceView> model_;
    CWendralDoc doc_;
    QToolBar* toolbar_;
    CWendralView* view_;
};

}  // namespace wendral::app
