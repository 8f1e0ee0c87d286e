// Printing: the destination and a source printed to a PDF file, rendered back and compared with
// the picture at the page's scale; and a printer that cannot be opened.
#include "app/printing.h"

#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>

#include "app/commands.h"
#include "source_test_support.h"

using namespace wendral;
using namespace wendral::app;
using namespace wendral::app::testing;

namespace {

// The printer's resolution and the one the PDF is rendered back at: one device pixel is one
// rendered pixel, so the page's scale is the only resampling.
constexpr int kDpi = 100;

// Every pixel its own colour, none of them white, so that each shows where it lands.
Bgr Distinct(int x, int y) {
    return Bgr{std::uint8_t(20 + x * 3), std::uint8_t(20 + y * 5), std::uint8_t(90 + (x ^ y))};
}

// The dialog's part: a PDF file at kDpi.
PrintDialogFunction PdfTo(const QString& path) {
    return [path](QPrinter& printer, QWidget*) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printer.setResolution(kDpi);
        return true;
    };
}

QImage RenderPdf(const QString& pdf) {
    const QString stem = pdf + "-page";
    QProcess render;
    render.start("pdftoppm", {"-r", QString::number(kDpi), "-png", "-singlefile", pdf, stem});
    if (!render.waitForFinished(60000) || render.exitCode() != 0) return {};
    return QImage(stem + ".png").convertToFormat(QImage::Format_RGB32);
}

// Compares the rendered page with `picture` scaled by nearest pixel into `target`, whose
// top-left lies at `origin` on the page. The tolerance is one rendered pixel of position and no
// colour: where the page's scale puts the edge between two picture pixels inside a rendered
// pixel, the renderer may give it either of them, so each rendered pixel must have the colour
// of the picture pixel that it or one of its eight neighbours maps to. The colours themselves
// are exact (the picture is stored losslessly). Returns the first mismatch, or (-1, -1).
QPoint FirstMismatch(const QImage& page, QPoint origin, const QImage& picture, QSize target) {
    const auto colour = [&](int x, int y) {
        x = std::clamp(x, 0, target.width() - 1);
        y = std::clamp(y, 0, target.height() - 1);
        return picture.pixel(int(std::int64_t(x) * picture.width() / target.width()),
                             int(std::int64_t(y) * picture.height() / target.height()));
    };
    for (int y = 0; y < target.height(); ++y)
        for (int x = 0; x < target.width(); ++x) {
            const QRgb shown = page.pixel(origin + QPoint(x, y));
            bool near = false;
            for (int dy = -1; dy <= 1 && !near; ++dy)
                for (int dx = -1; dx <= 1 && !near; ++dx) near = shown == colour(x + dx, y + dy);
            if (!near) return QPoint(x, y);
        }
    return QPoint(-1, -1);
}

}  // namespace

class PrintingTest : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        if (QStandardPaths::findExecutable("pdftoppm").isEmpty())
            QFAIL("pdftoppm (poppler-utils) is needed");
    }

    void aPrintedPageShowsThePictureAtThePageWidth_data() {
        QTest::addColumn<bool>("destination");
        QTest::addColumn<int>("widthScale");
        QTest::addColumn<int>("heightScale");
        QTest::newRow("destination") << true << 100 << 100;
        QTest::newRow("source at 50 x 150 %") << false << 50 << 150;
    }

    // The destination is flipped before it is printed: the page shows the picture as it is when
    // printed, not as it was last drawn.
    void aPrintedPageShowsThePictureAtThePageWidth() {
        QFETCH(bool, destination);
        QFETCH(int, widthScale);
        QFETCH(int, heightScale);
        QTemporaryDir dir;
        AppFixture f;
        const QString pdf = dir.filePath("page.pdf");
        f.app().Printing().SetPrintDialog(PdfTo(pdf));
        QImage picture(48, 36, QImage::Format_RGB32);
        if (destination) {
            // A destination of the picture's size, which a window would not give.
            f.AddSource(48, 36, Distinct);
            f.ActivateDestination();
            QVERIFY(f.router().Execute(kFlip));
            for (int y = 0; y < 36; ++y)
                for (int x = 0; x < 48; ++x) {
                    const Bgr c = f.state().DestPixel(x, y);
                    picture.setPixel(x, y, qRgb(c.r, c.g, c.b));
                }
            QVERIFY(!(f.state().DestPixel(0, 0) == Distinct(0, 0)));
            QVERIFY(f.router().Execute(kPrint));
        } else {
            QVERIFY(
                OpenThroughCommand(f, WritePicture(QDir(dir.path()), "pic.bmp", 48, 36, Distinct)));
            CChildFrame* source = Sources(f).Frame(1);
            QVERIFY(source);
            source->Model().WidthScale = widthScale;
            source->Model().HeightScale = heightScale;
            for (int y = 0; y < 36; ++y)
                for (int x = 0; x < 48; ++x) {
                    const Bgr c = Distinct(x, y);
                    picture.setPixel(x, y, qRgb(c.r, c.g, c.b));
                }
            QVERIFY(RunInSource(f, 1, kPrint));
        }

        // The page width times the width scale, and the height that keeps the picture's
        // proportions (both resolutions are kDpi here) times the height scale, truncated.
        const int pageWidth = f.app().Printing().Printer().width();
        const QSize target(pageWidth * widthScale / 100,
                           int(36.0 * pageWidth * heightScale / (48.0 * 100.0)));
        const QImage page = RenderPdf(pdf);
        QVERIFY(!page.isNull());
        const QPoint origin =
            f.app().Printing().Printer().pageLayout().paintRectPixels(kDpi).topLeft();
        // Each picture pixel covers many rendered pixels, so a wrong scale or place shows.
        QVERIFY(target.width() > 8 * picture.width() && target.height() > 8 * picture.height());
        QCOMPARE(FirstMismatch(page, origin, picture, target), QPoint(-1, -1));
        // Beyond the target the page stays white.
        QCOMPARE(QColor(page.pixel(origin + QPoint(target.width() + 2, 2))), QColor(Qt::white));
        QCOMPARE(QColor(page.pixel(origin + QPoint(2, target.height() + 2))), QColor(Qt::white));
    }

    void aPrinterThatCannotBeOpenedIsReported() {
        AppFixture f;
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName("/nonexistent-folder/page.pdf");
        ScopedMessageHook messages;
        bool painted = false;
        QVERIFY(!PrintService::PrintPage(printer,
                                         [&](QPainter&, const PageMetrics&) { painted = true; }));
        QVERIFY(!painted);
        QCOMPARE(messages.Texts(), QStringList({"The file \"/nonexistent-folder/page.pdf\" cannot "
                                                "be written: nothing was printed."}));
    }
};

QTEST_MAIN(PrintingTest)
#include "printing_test.moc"
