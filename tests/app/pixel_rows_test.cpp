// The conversion every picture makes on its way to the screen, against the plain formula.
#include <sys/mman.h>
#include <unistd.h>

#include <QPainter>
#include <QTest>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "app/pixel_rows.h"

using namespace wendral::app;
using wendral::InstructionSet;

namespace {

std::uint32_t Formula(const std::uint8_t* bgr) {
    return 0xff000000u | std::uint32_t{bgr[2]} << 16 | std::uint32_t{bgr[1]} << 8 | bgr[0];
}

}  // namespace

class PixelRowsTest : public QObject {
    Q_OBJECT
  private slots:
    // Every length and alignment on every instruction set, with a guard beyond the row: nothing
    // past it is written.
    void rowsWidenAsTheFormulaSays() {
        std::vector<std::uint8_t> bytes(3 * 80 + 16);
        std::uint32_t seed = 7;
        for (std::uint8_t& b : bytes)
            b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
        for (const InstructionSet set : wendral::kInstructionSets)
            for (std::size_t offset = 0; offset < 4; ++offset)
                for (std::size_t columns = 0; columns <= 80; ++columns) {
                    std::vector<std::uint32_t> out(columns + 5, 0x12345678u);
                    WidenRow(bytes.data() + offset, out.data() + 1, columns, set);
                    QCOMPARE(out[0], 0x12345678u);
                    for (std::size_t x = 0; x < columns; ++x)
                        QCOMPARE(out[1 + x], Formula(bytes.data() + offset + 3 * x));
                    for (std::size_t x = columns + 1; x < out.size(); ++x)
                        QCOMPARE(out[x], 0x12345678u);
                }
    }

    // A row that ends where readable memory ends is read no further.
    void theLastRowIsNotReadPastItsEnd() {
        const long page = sysconf(_SC_PAGESIZE);
        auto* map =
            static_cast<std::uint8_t*>(mmap(nullptr, std::size_t(2 * page), PROT_READ | PROT_WRITE,
                                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
        QVERIFY(map != MAP_FAILED);
        QCOMPARE(mprotect(map + page, std::size_t(page), PROT_NONE), 0);
        for (std::size_t columns :
             {std::size_t{1}, std::size_t{9}, std::size_t{10}, std::size_t{64}, std::size_t{333}}) {
            std::uint8_t* row = map + page - 3 * columns;
            for (std::size_t i = 0; i < 3 * columns; ++i)
                row[i] = static_cast<std::uint8_t>(i * 31);
            for (const InstructionSet set : wendral::kInstructionSets) {
                std::vector<std::uint32_t> out(columns);
                WidenRow(row, out.data(), columns, set);
                QCOMPARE(out.back(), Formula(row + 3 * (columns - 1)));
            }
        }
        munmap(map, std::size_t(2 * page));
    }

    void aPartComesOutAsItsOwnImage() {
        const std::size_t stride = 3 * 20;
        std::vector<std::uint8_t> rows(stride * 10);
        for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<std::uint8_t>(i * 7);
        const QImage part = WidenPart(rows.data(), stride, QRect(3, 2, 11, 5));
        QCOMPARE(part.size(), QSize(11, 5));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 11; ++x)
                QCOMPARE(part.pixel(x, y), Formula(rows.data() + stride * std::size_t(2 + y) +
                                                   3 * std::size_t(3 + x)));
    }

    // Straight into a 32-bit image or through the scratch band, at an offset, past the target's
    // edges, with either row order: the same pixels as drawing the widened part, and nothing
    // outside the region.
    void paintedRowsAreTheWidenedPartWhateverThePainter() {
        const int width = 70, height = 45;
        const std::size_t line = 3 * std::size_t(width);
        std::vector<std::uint8_t> topDown(line * height), bottomUp(line * height);
        std::uint32_t seed = 11;
        for (std::uint8_t& b : topDown)
            b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
        for (int y = 0; y < height; ++y)
            std::copy_n(topDown.data() + line * y, line, bottomUp.data() + line * (height - 1 - y));
        const QRegion region = QRegion(3, 2, 60, 9) + QRegion(50, 0, 20, 45);
        struct Case {
            const char* name;
            QImage::Format format;
            QPoint offset;
            double scale, opacity;
            bool bottomUp;
        };
        for (const Case& c : {
                 Case{"straight", QImage::Format_RGB32, QPoint(4, 6), 1, 1, false},
                 Case{"straight, bottom row first", QImage::Format_ARGB32_Premultiplied,
                      QPoint(-5, -3), 1, 1, true},
                 Case{"past the right and bottom edges", QImage::Format_RGB32, QPoint(20, 10), 1, 1,
                      false},
                 Case{"24-bit target", QImage::Format_RGB888, QPoint(4, 6), 1, 1, true},
                 Case{"scaled", QImage::Format_RGB32, QPoint(1, 1), 1.5, 1, false},
                 Case{"translucent", QImage::Format_RGB32, QPoint(0, 0), 1, 0.5, false},
             }) {
            QImage painted(64, 40, c.format), drawn(64, 40, c.format);
            painted.fill(Qt::magenta);
            drawn.fill(Qt::magenta);
            QImage scratch;
            {
                QPainter p(&painted);
                p.translate(c.offset);
                p.scale(c.scale, c.scale);
                p.setOpacity(c.opacity);
                PaintRows(p, c.bottomUp ? bottomUp.data() + line * (height - 1) : topDown.data(),
                          c.bottomUp ? -std::ptrdiff_t(line) : std::ptrdiff_t(line), region,
                          scratch);
                QPainter q(&drawn);
                q.translate(c.offset);
                q.scale(c.scale, c.scale);
                q.setOpacity(c.opacity);
                for (const QRect& r : region)
                    q.drawImage(r.topLeft(), WidenPart(topDown.data(), line, r));
            }
            QVERIFY2(painted == drawn, c.name);
        }
    }
};

QTEST_MAIN(PixelRowsTest)
#include "pixel_rows_test.moc"
