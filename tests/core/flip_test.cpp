#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "core/dest_state.h"
#include "core/destination_commands.h"
#include "core/zone.h"

namespace wendral {
namespace {

TEST(Flip, MirrorsEveryRowFromTheBaseAndTwiceRestoresEveryByte) {
    std::mt19937 rng(31);
    for (const int w : {1, 3, 8, 37, 2048}) {
        WendralState s;
        s.DestWidth = w;
        s.DestHeight = w == 2048 ? 1536 : 5 + w % 7;
        for (std::size_t i = 0; i < s.DestBytes(); ++i)
            s.DestinationStore()[i] = static_cast<std::uint8_t>(rng());
        const std::vector<std::uint8_t> picture(s.DestinationStore(),
                                                s.DestinationStore() + s.DestBytes());
        Zone z;
        z.x1 = 0;
        z.y1 = 0;
        z.x2 = 1;
        z.y2 = 1;
        z.VerticalNudgeLevel = 3;
        s.BrushingEnabled = 1;
        ASSERT_EQ(Flip(s, z), ZoneOutcome::Redraw);
        EXPECT_EQ(s.DestModified, 1);
        EXPECT_EQ(s.BrushingEnabled, 1);  // flip leaves brushing as it was
        EXPECT_FALSE(z.HasZone());
        EXPECT_EQ(z.VerticalNudgeLevel, 0);
        EXPECT_TRUE(std::equal(picture.begin(), picture.end(), s.RestoreStore()));
        for (int y = 0; y < s.DestHeight; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(std::memcmp(s.DestinationStore() + s.DestOffset(x, y),
                                      picture.data() + s.DestOffset(w - 1 - x, y), 3),
                          0)
                    << x << "," << y;
        Flip(s, z);
        EXPECT_TRUE(std::equal(picture.begin(), picture.end(), s.DestinationStore()));
    }
}

TEST(Flip, EmptyPictureOnlyClearsTheZone) {
    WendralState s;
    Zone z;
    z.y2 = 5;
    EXPECT_EQ(Flip(s, z), ZoneOutcome::Redraw);
    EXPECT_EQ(z.y2, -1);
    EXPECT_EQ(s.DestModified, 1);
}

}  // namespace
}  // namespace wendral
