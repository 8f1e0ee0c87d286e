#include <gtest/gtest.h>

#include <cstdlib>

#include "core/pixel.h"
#include "io/jpeg.h"
#include "tests/io/picture_builders.h"

namespace wendral {
namespace {

using testfiles::Bytes;
using testfiles::EncodeTestJpeg;
using testfiles::JpegOptions;

JpegDecoded Decode(const Bytes& b, const JpegLimits& limits = {}) {
    return DecodeJpeg(b.data(), b.size(), limits);
}

// Pixel (x, y) with y from the top of a decoded picture.
Bgr At(const PicturePacket& p, int x, int y) {
    const std::uint8_t* q = p.data() + 40 + RowStride24(p.Width()) * (p.Height() - 1 - y) + 3 * x;
    return Bgr{q[0], q[1], q[2]};
}

JpegOptions Options(int width, int height, int components) {
    JpegOptions s;
    s.width = width;
    s.height = height;
    s.components = components;
    return s;
}

TEST(JpegReader, GreyAndColourFilesMatchAnIndependentDecoderExactly) {
    if (!testfiles::HavePillow()) GTEST_SKIP() << "needs Pillow";
    testfiles::TempDir dir;
    const int w = 45, h = 29;
    testfiles::WritePpm(dir / "in.ppm", {w, h, testfiles::TestPixels(w, h, 3)});
    // Files from our own libjpeg calls and from Pillow, baseline and progressive.
    JpegOptions colour = Options(w, h, 3), progressive = colour, full = colour,
                grey = Options(w, h, 1);
    progressive.progressive = true;
    full.fullChroma = true;
    std::vector<std::string> names;
    for (const auto& [name, options] : {std::pair{"colour.jpg", colour},
                                        {"progressive.jpg", progressive},
                                        {"full.jpg", full},
                                        {"grey.jpg", grey}}) {
        testfiles::WriteFile(
            dir / name, EncodeTestJpeg(options, testfiles::TestPixels(w, h, options.components)));
        names.push_back(name);
    }
    const std::string save = std::string(testfiles::kPillow) +
                             " -c \"from PIL import Image; im = Image.open('" + dir / "in.ppm" +
                             "'); ";
    ASSERT_TRUE(testfiles::Run(save + "im.save('" + dir / "pil.jpg" +
                               "', quality=80); im.convert('L').save('" + dir / "pilgrey.jpg" +
                               "'); im.save('" + dir / "pilprog.jpg" +
                               "', progressive=True, subsampling=1)\""));
    names.insert(names.end(), {"pil.jpg", "pilgrey.jpg", "pilprog.jpg"});

    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(testfiles::Run(std::string(testfiles::kPillow) +
                                   " -c \"from PIL import Image; Image.open('" + dir / name +
                                   "').convert('RGB').save('" + dir / (name + ".ppm") + "')\""));
        const testfiles::Ppm ref = testfiles::ReadPpm(dir / (name + ".ppm"));
        const JpegDecoded d = Decode(testfiles::ReadFile(dir / name));
        ASSERT_EQ(d.status, JpegStatus::Ok);
        EXPECT_EQ(d.packet.HeaderSize(), 40u);
        EXPECT_EQ(d.packet.BitsPerPixel(), 24);
        ASSERT_EQ(d.packet.Width(), w);
        ASSERT_EQ(d.packet.Height(), h);
        ASSERT_EQ(d.packet.size(), 40 + RowStride24(w) * h);
        const bool isGrey = name.find("grey") != std::string::npos;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = ref.rgb.data() + (y * w + x) * 3;
                const Bgr got = At(d.packet, x, y);
                ASSERT_EQ(got, (Bgr{p[2], p[1], p[0]})) << x << "," << y;
                if (isGrey) {
                    ASSERT_TRUE(got.b == got.g && got.g == got.r);
                }
            }
    }
}

// Flat patches of known inks, so that what the reader makes of them can be checked against the
// colour the inks leave: each colour is (255 - ink) x (255 - black) / 255.
TEST(JpegReader, FourChannelFilesGiveTheColoursTheirInksLeave) {
    const std::uint8_t inks[][4] = {{0, 0, 0, 0},     {255, 0, 0, 0}, {0, 128, 0, 0},
                                    {0, 0, 200, 0},   {0, 0, 0, 100}, {30, 60, 90, 120},
                                    {200, 10, 40, 0}, {0, 0, 0, 255}};
    const int patch = 16, w = patch * 8, h = patch;
    Bytes pixels(static_cast<std::size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            std::copy_n(inks[x / patch], 4, pixels.begin() + (y * w + x) * 4);
    struct Variant {
        const char* name;
        J_COLOR_SPACE stored;
        bool adobe;
    };
    for (const Variant v :
         {Variant{"plain CMYK", JCS_CMYK, false}, Variant{"Adobe CMYK", JCS_CMYK, true},
          Variant{"Adobe YCCK", JCS_YCCK, true}}) {
        SCOPED_TRACE(v.name);
        JpegOptions s = Options(w, h, 4);
        s.stored = v.stored;
        s.adobeMarker = v.adobe;
        s.quality = 100;
        s.fullChroma = true;
        const JpegDecoded d = Decode(EncodeTestJpeg(s, pixels));
        ASSERT_EQ(d.status, JpegStatus::Ok);
        for (int i = 0; i < 8; ++i) {
            const Bgr got = At(d.packet, i * patch + patch / 2, patch / 2);
            auto expect = [&](int ink) { return (255 - ink) * (255 - inks[i][3]) / 255; };
            EXPECT_NEAR(got.r, expect(inks[i][0]), 3) << i;
            EXPECT_NEAR(got.g, expect(inks[i][1]), 3) << i;
            EXPECT_NEAR(got.b, expect(inks[i][2]), 3) << i;
        }
    }

    if (!testfiles::HaveConvert()) return;
    // ImageMagick's own CMYK files against its own reading of them.
    testfiles::TempDir dir;
    testfiles::WritePpm(dir / "in.ppm", {45, 29, testfiles::TestPixels(45, 29, 3)});
    ASSERT_TRUE(testfiles::Run("convert " + dir / "in.ppm" + " -colorspace CMYK -quality 95 " +
                               dir / "cmyk.jpg"));
    ASSERT_TRUE(testfiles::Run("convert " + dir / "cmyk.jpg" + " -colorspace sRGB -depth 8 " +
                               dir / "ref.ppm"));
    const testfiles::Ppm ref = testfiles::ReadPpm(dir / "ref.ppm");
    const JpegDecoded d = Decode(testfiles::ReadFile(dir / "cmyk.jpg"));
    ASSERT_EQ(d.status, JpegStatus::Ok);
    ASSERT_EQ(ref.width, 45);
    for (int y = 0; y < 29; ++y)
        for (int x = 0; x < 45; ++x) {
            const std::uint8_t* p = ref.rgb.data() + (y * 45 + x) * 3;
            const Bgr got = At(d.packet, x, y);
            ASSERT_NEAR(got.r, p[0], 3) << x << "," << y;
            ASSERT_NEAR(got.g, p[1], 3) << x << "," << y;
            ASSERT_NEAR(got.b, p[2], 3) << x << "," << y;
        }
}

TEST(JpegReader, ScanCountAndDecoderMemoryAreBounded) {
    JpegOptions s = Options(16, 16, 3);
    s.progressive = true;
    const Bytes endless =
        testfiles::RepeatFirstScan(EncodeTestJpeg(s, testfiles::TestPixels(16, 16, 3)), 3000);
    EXPECT_EQ(Decode(endless).status, JpegStatus::Failed);
    JpegLimits generous;
    generous.maxScans = 100000;
    EXPECT_EQ(Decode(endless, generous).status,
              JpegStatus::Ok);  // the bound, not bad data, refused it

    JpegOptions big = Options(512, 512, 3);
    big.progressive = true;
    const Bytes file = EncodeTestJpeg(big, testfiles::TestPixels(512, 512, 3));
    JpegLimits tight;
    tight.maxDecoderMemory = 256 * 1024;  // the coefficients alone need about 780 KB
    EXPECT_EQ(Decode(file, tight).status, JpegStatus::Failed);
    EXPECT_EQ(Decode(file).status, JpegStatus::Ok);

    JpegLimits small;
    small.maxPixels = 512 * 512 - 1;
    EXPECT_EQ(Decode(file, small).status, JpegStatus::TooLarge);
}

TEST(JpegReader, BadFilesFailWithoutAPicture) {
    const Bytes baseline = EncodeTestJpeg(Options(40, 24, 3), testfiles::TestPixels(40, 24, 3));
    JpegOptions ps = Options(40, 24, 3);
    ps.progressive = true;
    const Bytes progressive = EncodeTestJpeg(ps, testfiles::TestPixels(40, 24, 3));
    ASSERT_EQ(Decode(baseline).status, JpegStatus::Ok);
    ASSERT_EQ(Decode(progressive).status, JpegStatus::Ok);

    struct Case {
        std::string name;
        Bytes file;
        JpegStatus status;
    };
    std::vector<Case> cases = {
        {"empty", {}, JpegStatus::Failed},
        {"one byte", {0xFF}, JpegStatus::Failed},
        {"not a JPEG", {'B', 'M', 0, 0, 0, 0, 0, 0}, JpegStatus::Failed},
        {"two channels", EncodeTestJpeg(Options(8, 8, 2), Bytes(128, 7)),
         JpegStatus::UnsupportedChannels},
    };
    // A single-scan file that lacks only its end marker still has every row; anything shorter
    // does not, nor does a progressive file cut anywhere.
    for (std::size_t n = 0; n < baseline.size(); ++n)
        cases.push_back({"baseline cut to " + std::to_string(n),
                         Bytes(baseline.begin(), baseline.begin() + n),
                         n + 2 >= baseline.size() ? JpegStatus::Ok : JpegStatus::Failed});
    for (std::size_t n = 0; n < progressive.size(); ++n)
        cases.push_back({"progressive cut to " + std::to_string(n),
                         Bytes(progressive.begin(), progressive.begin() + n), JpegStatus::Failed});
    // 65535 is beyond what libjpeg itself accepts; 65000 x 4200 is within it and beyond our limits.
    const std::pair<int, int> sizes[] = {{65535, 65535}, {65000, 65000}, {65000, 4200},
                                         {60000, 4000},  {0, 24},        {40, 0}};
    for (auto [w, h] : sizes) {
        Bytes b = baseline;
        testfiles::SetJpegSize(b, w, h);
        const bool tooLarge = w <= 65500 && std::int64_t{w} * h > 256 * 1024 * 1024;
        cases.push_back({"claims " + std::to_string(w) + " x " + std::to_string(h), b,
                         tooLarge ? JpegStatus::TooLarge : JpegStatus::Failed});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const JpegDecoded d = Decode(c.file);
        EXPECT_EQ(d.status, c.status);
        EXPECT_EQ(d.packet.empty(), c.status != JpegStatus::Ok);
    }
}

}  // namespace
}  // namespace wendral
