#include "core/print_layout.h"

#include <gtest/gtest.h>

#include <climits>

namespace wendral {
namespace {

TEST(PrintLayout, PicturesFillThePageWidthKeepingTheirProportionsInInches) {
    struct Case {
        const char* what;
        PrintRect got;
        PrintRect want;
    };
    const Case cases[] = {
        {"destination, square pixels",
         DestinationPrintRect(640, 480, 4800, 600, 600),
         {4800, 3600}},
        {"destination, twice the resolution down",
         DestinationPrintRect(640, 480, 4800, 600, 1200),
         {4800, 7200}},
        {"destination, truncated", DestinationPrintRect(3, 1, 1000, 300, 300), {1000, 333}},
        {"empty destination", DestinationPrintRect(0, 0, 4800, 600, 600), {}},
        {"source at 100 %", SourcePrintRect(400, 300, 100, 100, 4800, 600, 600), {4800, 3600}},
        {"source at 50 x 150 %", SourcePrintRect(400, 300, 50, 150, 4800, 600, 600), {2400, 5400}},
        // Only the width is cut to whole percent steps: 4801 x 33 / 100 = 1584.33.
        {"source, width truncated",
         SourcePrintRect(400, 300, 33, 100, 4801, 600, 600),
         {1584, 3600}},
        {"source, resolutions differ",
         SourcePrintRect(400, 300, 100, 100, 4800, 1200, 600),
         {4800, 1800}},
        {"source without picture", SourcePrintRect(0, 300, 100, 100, 4800, 600, 600), {}},
        {"source scaled past int",
         SourcePrintRect(1, 65535, INT_MAX, INT_MAX, 9600, 1200, 1200),
         {INT_MAX, INT_MAX}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.got.right, c.want.right) << c.what;
        EXPECT_EQ(c.got.bottom, c.want.bottom) << c.what;
    }
}

}  // namespace
}  // namespace wendral
