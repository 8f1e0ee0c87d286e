#pragma once
#include <cstddef>
#include <cstdint>

#include "core/zone.h"

namespace wendral {

// The ellipse inscribed in the zone, as implode, explode, converge and diverge see it. Box,
// centre and ratio come from the corners as stored; the work is cut to the current picture, so
// a zone left over from a larger picture reaches neither outside the stores nor across a row.
struct InscribedEllipse {
    std::int64_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    std::int64_t xc = 0, yc = 0;  // centre, rounded down
    double H = 0.0;               // |y2 - y1|
    double k = 0.0;               // (y2 - y1) / (x2 - x1); 0 for a zone without width
    // Columns [x0, x1) and rows [y0, y1) of the zone that lie inside the picture.
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;

    bool Empty() const { return x0 >= x1 || y0 >= y1; }

    // H - 2r for offsets (dx, dy) from the centre; the pixel is inside the ellipse unless < 0.
    double Margin(double dx, double dy) const;
    // Columns [*xa, *xb) of row y that lie inside both the ellipse and the picture.
    void RowSpan(int y, int* xa, int* xb) const;

    // Whether two zones give the same pixels on the same picture: corner order changes only the
    // sign of k, and every formula squares it.
    bool SameWork(const InscribedEllipse& o) const {
        return xmin == o.xmin && xmax == o.xmax && ymin == o.ymin && ymax == o.ymax && x0 == o.x0 &&
               x1 == o.x1 && y0 == o.y0 && y1 == o.y1;
    }
};

InscribedEllipse MakeInscribedEllipse(const Zone& zone, int destWidth, int destHeight);

// Values that depend only on the distance from the centre along each axis: the ellipse is
// symmetric in dx and in dy, so one cell serves up to four pixels.
struct QuadrantCells {
    std::int64_t adx0 = 0, ady0 = 0;  // smallest |dx| and |dy| met in the picture
    std::int64_t cols = 0, rows = 0;

    std::size_t Count() const { return static_cast<std::size_t>(cols * rows); }
    std::size_t RowBase(const InscribedEllipse& e, int y) const {
        const std::int64_t ady = (y < e.yc ? e.yc - y : y - e.yc) - ady0;
        return static_cast<std::size_t>(ady * cols);
    }
    std::size_t Column(const InscribedEllipse& e, int x) const {
        return static_cast<std::size_t>((x < e.xc ? e.xc - x : x - e.xc) - adx0);
    }
    // The |dx| and |dy| of cell (i % cols, i / cols).
    double Adx(std::size_t i) const {
        return static_cast<double>(adx0 + static_cast<std::int64_t>(i) % cols);
    }
    double Ady(std::size_t i) const {
        return static_cast<double>(ady0 + static_cast<std::int64_t>(i) / cols);
    }
};

// Never more cells than pixels of the picture part of the zone.
QuadrantCells MakeQuadrantCells(const InscribedEllipse& e);

}  // namespace wendral
