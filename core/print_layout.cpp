#include "core/print_layout.h"

#include <climits>
#include <cstdint>

namespace wendral {
namespace {

// A scale set by fitting may be any int, so the sizes can leave int: the page shows no more
// than its device can address anyway.
int ToDevice(double v) {
    return v >= INT_MAX ? INT_MAX : static_cast<int>(v);
}
int ToDevice(std::int64_t v) {
    return v >= INT_MAX ? INT_MAX : static_cast<int>(v);
}

bool Printable(int width, int height, int pageWidth, int dpiX, int dpiY) {
    return width > 0 && height > 0 && pageWidth > 0 && dpiX > 0 && dpiY > 0;
}

}  // namespace

PrintRect DestinationPrintRect(int destWidth, int destHeight, int pageWidth, int dpiX, int dpiY) {
    if (!Printable(destWidth, destHeight, pageWidth, dpiX, dpiY)) return {};
    const double height = static_cast<double>(destHeight) * pageWidth * dpiY /
                          (static_cast<double>(destWidth) * dpiX);
    return PrintRect{pageWidth, ToDevice(height)};
}

PrintRect SourcePrintRect(int width, int height, int widthScale, int heightScale, int pageWidth,
                          int dpiX, int dpiY) {
    if (!Printable(width, height, pageWidth, dpiX, dpiY) || widthScale <= 0 || heightScale <= 0)
        return {};
    const std::int64_t right = std::int64_t{pageWidth} * widthScale / 100;
    const double bottom = static_cast<double>(height) * pageWidth * dpiY * heightScale /
                          (static_cast<double>(width) * dpiX * 100.0);
    return PrintRect{ToDevice(right), ToDevice(bottom)};
}

}  // namespace wendral
