#pragma once
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <QWidget>
#include <cstddef>
#include <cstdint>

#include "core/cpu_features.h"

namespace wendral::app {

// Blue, green, red bytes to the screen's opaque 32-bit pixels (0xffRRGGBB): the one conversion
// every picture makes on its way to the screen. The loops of `set` at most are used (the tests
// run every set).
void WidenRow(const std::uint8_t* from, std::uint32_t* to, std::size_t columns,
              InstructionSet set = ProcessorInstructionSet());

// The part `area` of a picture of blue, green, red rows `stride` bytes apart, top row first, as
// an opaque 32-bit image of that part's size.
QImage WidenPart(const std::uint8_t* rows, std::size_t stride, const QRect& area);

// Whether `widget`'s paints will take rows straight (a window's backing store that is a 32-bit
// image, one pixel a pixel).
bool PaintsStraight(QWidget& widget);

// Paints `region` of a picture of blue, green, red rows `stride` bytes apart (negative for a
// picture stored bottom row first), whose top left pixel is at `rows` and at the painter's
// origin. Where the painter copies one to one into a 32-bit image, as a window's backing store
// is, the rows are widened straight into that image, split among the cores: one pass through
// memory where converting and then copying makes two, and the copy runs on one core. Elsewhere
// (printing, a scaled or translucent painter) they go through `scratch`, a band of rows at a
// time.
void PaintRows(QPainter& p, const std::uint8_t* rows, std::ptrdiff_t stride, const QRegion& region,
               QImage& scratch);

}  // namespace wendral::app
