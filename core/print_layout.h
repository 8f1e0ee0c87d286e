#pragma once

namespace wendral {

// Where a printed picture lands on the page: from the page's top-left corner to (right,
// bottom), in the printer's device pixels. The picture is scaled to the page width and keeps
// its proportions in inches, so a printer with different resolutions across and down still
// prints it undistorted.
struct PrintRect {
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PrintRect&, const PrintRect&) = default;
};

// The destination: the page width, and the height its proportions give. An empty destination
// gives an empty rectangle.
PrintRect DestinationPrintRect(int destWidth, int destHeight, int pageWidth, int dpiX, int dpiY);

// A source picture of width x height: the page width times its width scale, and the height
// its proportions and height scale give. A picture without size gives an empty rectangle.
PrintRect SourcePrintRect(int width, int height, int widthScale, int heightScale, int pageWidth,
                          int dpiX, int dpiY);

}  // namespace wendral
