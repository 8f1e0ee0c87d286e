#pragma once
#include <QString>
#include <functional>
#include <memory>

class QImage;
class QPainter;
class QPrinter;
class QWidget;

namespace wendral {
class SourceView;
struct WendralState;
}  // namespace wendral

namespace wendral::app {

class CommandTarget;

// A page as its device reports it: the printable width in device pixels and the resolution.
struct PageMetrics {
    int width = 0;
    int dpiX = 0;
    int dpiY = 0;
};

// Draws one page. It runs when the page is drawn, so a page always shows the picture as it is
// then, not as it was when the command began.
using PagePainter = std::function<void(QPainter&, const PageMetrics&)>;

// Asks where and how to print; false when cancelled. Tests replace the print dialog with one.
using PrintDialogFunction = std::function<bool(QPrinter&, QWidget* parent)>;

// Printing for the views: one printer for the session, so that what Print Setup chose holds
// for every later print and preview. Where no printer is installed the printer writes a PDF
// file, which the print dialog then offers.
class PrintService {
  public:
    PrintService();
    ~PrintService();

    QPrinter& Printer();

    // Registers "Print..." and "Print Preview" on a view; both always enabled. `document`
    // names the print job (and the PDF file the dialog proposes).
    void AddViewCommands(CommandTarget& view, QWidget* parent, std::function<QString()> document,
                         PagePainter paint);

    void Print(QWidget* parent, const QString& document, const PagePainter& paint);
    void Preview(QWidget* parent, const QString& document, const PagePainter& paint);
    // "Print Setup...": paper, orientation and margins of the session's printer.
    void Setup(QWidget* parent);

    // Prints one page on `printer` as it is set up; shows a message and returns false when the
    // printer (or its output file) cannot be opened.
    static bool PrintPage(QPrinter& printer, const PagePainter& paint);

    void SetPrintDialog(PrintDialogFunction dialog) { dialog_ = std::move(dialog); }

  private:
    std::unique_ptr<QPrinter> printer_;
    PrintDialogFunction dialog_;
};

// The destination's page: while the start-up help is shown (`startupHelp` not null) that picture
// at its own size; otherwise the destination scaled to the page width.
void PaintDestinationPage(QPainter& painter, const PageMetrics& page, const WendralState& state,
                          const QImage* startupHelp);
// A source's page: its whole picture as loaded, as wide as the page times the width scale and
// as high as its proportions and the height scale make it.
void PaintSourcePage(QPainter& painter, const PageMetrics& page, const SourceView& view);

}  // namespace wendral::app
