#include "app/printing.h"

#include <QFileInfo>
#include <QImage>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include "app/command_router.h"
#include "app/packet_image.h"
#include "core/command_ids.h"
#include "core/dest_state.h"
#include "core/print_layout.h"
#include "core/source_view.h"
#include "dialogs/message_service.h"

namespace wendral::app {
namespace {

PageMetrics Metrics(QPrinter& printer) {
    return PageMetrics{printer.width(), printer.logicalDpiX(), printer.logicalDpiY()};
}

void PaintPicture(QPainter& painter, const QImage& picture, const PrintRect& target) {
    if (picture.isNull() || target.right <= 0 || target.bottom <= 0) return;
    // A PDF would otherwise hold the picture as a JPEG, and print colours the picture lacks.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    DrawPicturePacket(painter, QRect(0, 0, target.right, target.bottom), picture, picture.rect());
}

bool RunPrintDialog(QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace

PrintService::PrintService() = default;
PrintService::~PrintService() = default;

// Made on first use: looking for printers may take a moment, and most sessions never print.
QPrinter& PrintService::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (QPrinterInfo::availablePrinters().isEmpty())
            printer_->setOutputFormat(QPrinter::PdfFormat);
    }
    return *printer_;
}

void PrintService::AddViewCommands(CommandTarget& view, QWidget* parent,
                                   std::function<QString()> document, PagePainter paint) {
    view.OnCommand(kPrint, [this, parent, document, paint] { Print(parent, document(), paint); });
    view.OnCommand(kPrintPreview,
                   [this, parent, document, paint] { Preview(parent, document(), paint); });
}

void PrintService::Print(QWidget* parent, const QString& document, const PagePainter& paint) {
    QPrinter& printer = Printer();
    printer.setDocName(document);
    // A PDF goes where the last one went, under this document's name; the first one where the
    // dialog proposes, which it derives from the document's name.
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty())
        printer.setOutputFileName(QFileInfo(printer.outputFileName()).absolutePath() + '/' +
                                  document + ".pdf");
    const bool accepted = dialog_ ? dialog_(printer, parent) : RunPrintDialog(printer, parent);
    if (accepted) PrintPage(printer, paint);
}

void PrintService::Preview(QWidget* parent, const QString& document, const PagePainter& paint) {
    QPrinter& printer = Printer();
    printer.setDocName(document);
    QPrintPreviewDialog preview(&printer, parent);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&paint](QPrinter* page) {
                         QPainter painter(page);
                         paint(painter, Metrics(*page));
                     });
    preview.exec();
}

void PrintService::Setup(QWidget* parent) {
    QPageSetupDialog dialog(&Printer(), parent);
    dialog.exec();
}

bool PrintService::PrintPage(QPrinter& printer, const PagePainter& paint) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        ShowMessage(
            printer.outputFormat() == QPrinter::PdfFormat
                ? QStringLiteral("The file \"%1\" cannot be written: nothing was printed.")
                      .arg(printer.outputFileName())
                : QStringLiteral("The printer \"%1\" cannot be started: nothing was printed.")
                      .arg(printer.printerName()));
        return false;
    }
    paint(painter, Metrics(printer));
    return painter.end();
}

void PaintDestinationPage(QPainter& painter, const PageMetrics& page, const WendralState& state,
                          const QImage* startupHelp) {
    if (startupHelp) {
        PaintPicture(painter, *startupHelp, PrintRect{startupHelp->width(), startupHelp->height()});
        return;
    }
    const QImage picture =
        BottomUpImage(state.DestinationStore(), 3 * static_cast<std::size_t>(state.DestWidth),
                      state.DestWidth, state.DestHeight);
    PaintPicture(
        painter, picture,
        DestinationPrintRect(state.DestWidth, state.DestHeight, page.width, page.dpiX, page.dpiY));
}

void PaintSourcePage(QPainter& painter, const PageMetrics& page, const SourceView& view) {
    const QImage picture = PacketImage(view.Document.packet);
    if (picture.isNull()) return;
    PaintPicture(painter, picture,
                 SourcePrintRect(picture.width(), picture.height(), view.WidthScale,
                                 view.HeightScale, page.width, page.dpiX, page.dpiY));
}

}  // namespace wendral::app
