#pragma once
#include <QImage>
#include <QRect>
#include <cstddef>
#include <cstdint>

namespace wendral::app {

// Blue, green, red bytes to the screen's opaque 32-bit pixels (0xffRRGGBB): the one conversion
// every picture makes on its way to the screen.
void WidenRow(const std::uint8_t* from, std::uint32_t* to, std::size_t columns);

// The part `area` of a picture of blue, green, red rows `stride` bytes apart, top row first, as
// an opaque 32-bit image of that part's size.
QImage WidenPart(const std::uint8_t* rows, std::size_t stride, const QRect& area);

}  // namespace wendral::app
