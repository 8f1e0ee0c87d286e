// The conversion every picture makes on its way to the screen, against the plain formula.
#include <sys/mman.h>
#include <unistd.h>

#include <QTest>
#include <cstdint>
#include <vector>

#include "app/pixel_rows.h"

using namespace wendral::app;

namespace {

std::uint32_t Formula(const std::uint8_t* bgr) {
    return 0xff000000u | std::uint32_t{bgr[2]} << 16 | std::uint32_t{bgr[1]} << 8 | bgr[0];
}

}  // namespace

class PixelRowsTest : public QObject {
    Q_OBJECT
  private slots:
    // Every length and alignment, with a guard beyond the row: nothing past it is written.
    void rowsWidenAsTheFormulaSays() {
        std::vector<std::uint8_t> bytes(3 * 80 + 16);
        std::uint32_t seed = 7;
        for (std::uint8_t& b : bytes)
            b = static_cast<std::uint8_t>((seed = seed * 1103515245u + 12345u) >> 16);
        for (std::size_t offset = 0; offset < 4; ++offset)
            for (std::size_t columns = 0; columns <= 80; ++columns) {
                std::vector<std::uint32_t> out(columns + 5, 0x12345678u);
                WidenRow(bytes.data() + offset, out.data() + 1, columns);
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
            std::vector<std::uint32_t> out(columns);
            WidenRow(row, out.data(), columns);
            QCOMPARE(out.back(), Formula(row + 3 * (columns - 1)));
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
};

QTEST_MAIN(PixelRowsTest)
#include "pixel_rows_test.moc"
