#include <gtest/gtest.h>

#include <set>

#include "core/limits.h"
#include "io/codec.h"
#include "tests/io/codec_test_support.h"

namespace wendral::testing {
namespace {

const std::set<std::string> kReadFailures = {"TIFF file is truncated", "TIFF file is damaged"};

std::string Quote(const std::string& s) {
    return "'" + s + "'";
}

// Pillow opens the pattern, runs `make` on `im`, and saves it with `options`.
std::string PillowSave(const std::string& make, const std::string& options, const std::string& in,
                       const std::string& out) {
    return std::string(kPython) +
           " -c \"import sys, random; from PIL import Image; random.seed(7); " +
           "im = Image.open(sys.argv[1]); " + (make.empty() ? "pass" : make) +
           "; im.save(sys.argv[2], 'TIFF'" + (options.empty() ? "" : ", " + options) + ")\" " +
           Quote(in) + " " + Quote(out);
}

const char* kAddAlpha =
    "a = Image.new('L', im.size); a.putdata([random.randrange(256) for _ in range(im.size[0] * "
    "im.size[1])]); "
    "im.putalpha(a)";
const char* kToPalette =
    "cols = sorted(set(im.getdata())); idx = {c: i for i, c in enumerate(cols)}; "
    "p = Image.new('P', im.size); p.putpalette([v for c in cols for v in c]); "
    "p.putdata([idx[c] for c in im.getdata()]); im = p";
const char* kToSixteenBitGrey =
    "im = Image.frombytes('I;16', im.size, bytes(b for v in im.getdata() for b in (v * "
    "257).to_bytes(2, 'little')))";
const char* kToBilevel = "im = im.convert('1', dither=Image.Dither.NONE)";

struct TiffVariant {
    const char* name;
    int colours;
    bool grey;
    std::string (*command)(const std::string& in, const std::string& out);
};

#define PILLOW(make, options) \
    [](const std::string& in, const std::string& out) { return PillowSave(make, options, in, out); }
#define SHELL(before, after)                                         \
    [](const std::string& in, const std::string& out) {              \
        return std::string(before) + Quote(in) + after + Quote(out); \
    }

const TiffVariant kTiffVariants[] = {
    {"RGB uncompressed", 0, false, PILLOW("", "")},
    {"RGB LZW", 0, false, PILLOW("", "compression='tiff_lzw'")},
    {"RGB Deflate", 0, false, PILLOW("", "compression='tiff_adobe_deflate'")},
    {"RGB PackBits", 0, false, PILLOW("", "compression='packbits'")},
    {"grey", 0, true, PILLOW("", "compression='tiff_lzw'")},
    {"grey 16-bit", 0, true, PILLOW(kToSixteenBitGrey, "")},
    {"bilevel CCITT group 4", 2, true, PILLOW(kToBilevel, "compression='group4'")},
    {"palette 8-bit", 40, false, PILLOW(kToPalette, "compression='tiff_lzw'")},
    {"RGBA, unassociated alpha", 0, false, PILLOW(kAddAlpha, "compression='tiff_lzw'")},
    {"grey and alpha", 0, true, PILLOW(kAddAlpha, "")},
    {"palette 4-bit", 16, false, SHELL("pamtotiff -indexbits 4 ", " > ")},
    {"RGB LZW predictor, one row a strip", 0, false,
     SHELL("pamtotiff -lzw -predictor 2 -rowsperstrip 1 ", " > ")},
    {"RGB tiles", 0, false,
     SHELL("/usr/bin/convert ", " -compress LZW -define tiff:tile-geometry=16x16 ")},
    {"RGB separate planes", 0, false,
     SHELL("/usr/bin/convert ", " -interlace plane -compress Zip ")},
    {"RGB tiles in separate planes, 16-bit", 0, false,
     SHELL("/usr/bin/convert ", " -depth 16 -interlace plane -define tiff:tile-geometry=16x16 ")},
    {"RGB 16-bit", 0, false, SHELL("/usr/bin/convert ", " -depth 16 -compress LZW ")},
    {"RGB big-endian", 0, false, SHELL("/usr/bin/convert ", " -endian MSB -compress None ")},
    {"RGB BigTIFF", 0, false, SHELL("/usr/bin/convert ", " -compress Zip TIFF64:")},
    {"grey 16-bit big-endian", 0, true,
     SHELL("/usr/bin/convert ", " -depth 16 -endian MSB -compress LZW ")},
};

bool HaveAllTools() {
    return HavePillow() && HaveProgram(kConvert) && HaveProgram("/usr/bin/pamtotiff");
}

// Each variant is made from a known pattern by another program; every variant but JPEG is
// lossless, alpha is dropped and 16-bit samples of value v * 257 come back as v.
TEST(TiffCodec, DecodesEveryVariantOtherProgramsWrite) {
    if (!HaveAllTools()) GTEST_SKIP() << "Pillow, ImageMagick or netpbm is missing";
    ScratchFolder folder;
    unsigned seed = 11;
    for (const TiffVariant& v : kTiffVariants) {
        SCOPED_TRACE(v.name);
        const Rgb pattern = RandomPicture(37, 23, seed++, v.colours, v.grey);
        const std::string in = folder / (v.grey ? "pattern.pgm" : "pattern.ppm");
        const std::string out = folder / "variant.tif";
        std::filesystem::remove(out);
        WritePnm(in, pattern, v.grey);
        const std::string command = v.command(in, out);
        ASSERT_EQ(RunQuietly(command), 0) << command;
        const std::vector<std::uint8_t> file = ReadBytes(out);
        const DecodedPicture decoded = DecodeTiff(file.data(), file.size());
        ASSERT_EQ(decoded.error, "");
        EXPECT_EQ(decoded.picture.BitsPerPixel(), 24);
        EXPECT_EQ(LargestDifference(PacketToRgb(decoded.picture), pattern), 0);
    }
}

Rgb SmoothPicture(int width, int height) {
    Rgb p{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* px = p.At(x, y);
            px[0] = static_cast<std::uint8_t>(x * 255 / width);
            px[1] = static_cast<std::uint8_t>(y * 255 / height);
            px[2] = static_cast<std::uint8_t>((x + y) * 127 / (width + height));
        }
    return p;
}

TEST(TiffCodec, JpegCompressedFilesMatchWithinTolerance) {
    if (!HaveAllTools()) GTEST_SKIP() << "Pillow or ImageMagick is missing";
    ScratchFolder folder;
    const Rgb pattern = SmoothPicture(64, 48);
    WritePnm(folder / "p.ppm", pattern, false);
    const std::string commands[] = {
        PillowSave("", "compression='jpeg', quality=95", folder / "p.ppm", folder / "a.tif"),
        std::string(kConvert) + " " + Quote(folder / "p.ppm") +
            " -compress JPEG -quality 95 -define tiff:tile-geometry=16x16 " +
            Quote(folder / "a.tif"),
    };
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        ASSERT_EQ(RunQuietly(command), 0);
        const std::vector<std::uint8_t> file = ReadBytes(folder / "a.tif");
        const DecodedPicture d = DecodeTiff(file.data(), file.size());
        ASSERT_EQ(d.error, "");
        const int difference = LargestDifference(PacketToRgb(d.picture), pattern);
        EXPECT_GE(difference, 0);
        EXPECT_LE(difference, 12);
    }
}

// All eight orientations, including the four that swap width and height, against what
// ImageMagick shows after applying the tag.
TEST(TiffCodec, AppliesEveryOrientation) {
    if (!HavePillow() || !HaveProgram(kConvert)) GTEST_SKIP() << "Pillow or ImageMagick is missing";
    ScratchFolder folder;
    const Rgb pattern = RandomPicture(13, 7, 21);
    WritePnm(folder / "p.ppm", pattern, false);
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const std::string file = folder / "o.tif";
        ASSERT_EQ(RunQuietly(PillowSave("", "tiffinfo={274: " + std::to_string(orientation) + "}",
                                        folder / "p.ppm", file)),
                  0);
        const std::string ppm = folder / "o.ppm";
        ASSERT_EQ(RunQuietly(std::string(kConvert) + " " + Quote(file) +
                             " -auto-orient ppm:" + Quote(ppm)),
                  0);
        const Rgb expected = ReadPnm(ReadBytes(ppm));
        ASSERT_EQ(expected.width, orientation >= 5 ? 7 : 13);
        EXPECT_EQ(LargestDifference(expected, pattern) == 0, orientation == 1);
        const std::vector<std::uint8_t> bytes = ReadBytes(file);
        const DecodedPicture d = DecodeTiff(bytes.data(), bytes.size());
        ASSERT_EQ(d.error, "");
        EXPECT_EQ(LargestDifference(PacketToRgb(d.picture), expected), 0);
    }
}

// One strip whose raster would exceed a band is read in several bands.
TEST(TiffCodec, ReadsAStripLargerThanABand) {
    if (!HaveProgram(kConvert)) GTEST_SKIP() << "ImageMagick is missing";
    ScratchFolder folder;
    const Rgb pattern = SmoothPicture(2100, 2050);
    WritePnm(folder / "big.ppm", pattern, false);
    ASSERT_EQ(
        RunQuietly(std::string(kConvert) + " " + Quote(folder / "big.ppm") +
                   " -compress LZW -define tiff:rows-per-strip=2050 " + Quote(folder / "big.tif")),
        0);
    const std::vector<std::uint8_t> file = ReadBytes(folder / "big.tif");
    const DecodedPicture d = DecodeTiff(file.data(), file.size());
    ASSERT_EQ(d.error, "");
    EXPECT_EQ(LargestDifference(PacketToRgb(d.picture), pattern), 0);
}

TEST(TiffCodec, EncodedFilesReadBackIdenticallyHereAndInOtherPrograms) {
    ScratchFolder folder;
    for (int width : {1, 37, 64}) {
        SCOPED_TRACE(width);
        const Rgb picture = RandomPicture(width, 150, 60u + static_cast<unsigned>(width));
        std::vector<std::uint8_t> file;
        ASSERT_EQ(EncodeTiff(RgbToPacket(picture), file), "");
        const DecodedPicture ours = DecodeTiff(file.data(), file.size());
        ASSERT_EQ(ours.error, "");
        EXPECT_EQ(LargestDifference(PacketToRgb(ours.picture), picture), 0);

        const std::string path = folder / "ours.tif";
        WriteBytes(path, file);
        if (HavePillow()) {
            EXPECT_EQ(LargestDifference(PillowPixels(path, folder / "pillow.ppm"), picture), 0);
        }
        if (HaveProgram(kConvert)) {
            const std::string ppm = folder / "magick.ppm";
            ASSERT_EQ(RunQuietly(std::string(kConvert) + " " + Quote(path) + " ppm:" + Quote(ppm)),
                      0);
            EXPECT_EQ(LargestDifference(ReadPnm(ReadBytes(ppm)), picture), 0);
        }
    }
    std::vector<std::uint8_t> out = {7};
    EXPECT_NE(EncodeTiff(PicturePacket(), out), "");
    EXPECT_EQ(out, std::vector<std::uint8_t>{7});
}

TEST(TiffCodec, EveryTruncationFailsOrStillGivesTheWholePicture) {
    const Rgb picture = RandomPicture(37, 23, 5);
    std::vector<std::uint8_t> file;
    ASSERT_EQ(EncodeTiff(RgbToPacket(picture), file), "");
    for (std::size_t n = 0; n < file.size(); ++n) {
        const DecodedPicture d = DecodeTiff(file.data(), n);
        if (d.error.empty()) {
            ASSERT_EQ(LargestDifference(PacketToRgb(d.picture), picture), 0) << n;
        } else {
            ASSERT_TRUE(d.picture.empty()) << n;
            ASSERT_TRUE(n == 0 || kReadFailures.count(d.error)) << n << ": " << d.error;
        }
    }
}

// A little-endian TIFF of one grey strip, built field by field so each case breaks one thing.
struct TiffBuilder {
    struct Entry {
        std::uint16_t tag, type;
        std::uint32_t count, value;
    };
    std::vector<Entry> entries;
    std::vector<std::uint8_t> pixels;
    std::uint32_t nextIfd = 0;
    bool nextIsSelf = false;

    void Set(std::uint16_t tag, std::uint32_t value, std::uint16_t type = 4,
             std::uint32_t count = 1) {
        std::erase_if(entries, [tag](const Entry& e) { return e.tag == tag; });
        entries.push_back({tag, type, count, value});
        std::sort(entries.begin(), entries.end(),
                  [](const Entry& a, const Entry& b) { return a.tag < b.tag; });
    }
    void Remove(std::uint16_t tag) {
        std::erase_if(entries, [tag](const Entry& e) { return e.tag == tag; });
    }

    static TiffBuilder Grey(std::uint32_t width, std::uint32_t height) {
        TiffBuilder b;
        b.pixels.resize(static_cast<std::size_t>(width) * height);
        for (std::size_t i = 0; i < b.pixels.size(); ++i)
            b.pixels[i] = static_cast<std::uint8_t>(i * 37);
        b.Set(256, width);
        b.Set(257, height);
        b.Set(258, 8, 3);
        b.Set(259, 1, 3);
        b.Set(262, 1, 3);
        b.Set(273, 8);  // the strip follows the header
        b.Set(277, 1, 3);
        b.Set(278, height);
        b.Set(279, static_cast<std::uint32_t>(b.pixels.size()));
        return b;
    }

    std::vector<std::uint8_t> Bytes() const {
        std::vector<std::uint8_t> f(8 + pixels.size());
        f[0] = f[1] = 'I';
        f[2] = 42;
        std::copy(pixels.begin(), pixels.end(), f.begin() + 8);
        if (f.size() % 2) f.push_back(0);
        const auto ifd = static_cast<std::uint32_t>(f.size());
        auto put = [&f](std::uint64_t v, int bytes) {
            for (int i = 0; i < bytes; ++i) f.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
        };
        for (int i = 0; i < 4; ++i) f[4 + i] = static_cast<std::uint8_t>(ifd >> (8 * i));
        put(entries.size(), 2);
        for (const Entry& e : entries) {
            put(e.tag, 2);
            put(e.type, 2);
            put(e.count, 4);
            put(e.value, 4);
        }
        put(nextIsSelf ? ifd : nextIfd, 4);
        return f;
    }
};

TEST(TiffCodec, DamagedOrHostileFilesFailWithATextAndNoPicture) {
    // The builder itself makes a readable file.
    {
        const std::vector<std::uint8_t> f = TiffBuilder::Grey(4, 3).Bytes();
        const DecodedPicture d = DecodeTiff(f.data(), f.size());
        ASSERT_EQ(d.error, "");
        const Rgb out = PacketToRgb(d.picture);
        EXPECT_EQ(out.bytes[3 * 5], static_cast<std::uint8_t>(5 * 37));
    }
    // An IFD chain that loops back on itself is never followed: the picture reads.
    {
        TiffBuilder b = TiffBuilder::Grey(4, 3);
        b.nextIsSelf = true;
        const std::vector<std::uint8_t> f = b.Bytes();
        EXPECT_EQ(DecodeTiff(f.data(), f.size()).error, "");
    }
    const std::set<std::string> unreadable = {"TIFF file is truncated", "TIFF file is damaged",
                                              "This TIFF layout is not supported"};
    struct Case {
        std::string name;
        std::vector<std::uint8_t> file;
        std::set<std::string> errors;
    };
    auto edited = [](auto edit) {
        TiffBuilder b = TiffBuilder::Grey(4, 3);
        edit(b);
        return b.Bytes();
    };
    std::vector<std::uint8_t> ifdBeyond = TiffBuilder::Grey(4, 3).Bytes();
    ifdBeyond[4] = 0xF0;
    ifdBeyond[5] = 0xFF;
    const std::vector<Case> cases = {
        {"empty", {}, {"Not a TIFF file"}},
        {"one byte", {'I'}, {"TIFF file is truncated"}},
        {"other byte", {'P'}, {"Not a TIFF file"}},
        {"header only", {'I', 'I', 42, 0}, {"TIFF file is truncated"}},
        {"wrong magic", {'I', 'I', 41, 0, 8, 0, 0, 0, 0, 0}, {"Not a TIFF file"}},
        {"first IFD beyond the file", ifdBeyond, kReadFailures},
        {"65536 x 65536",
         edited([](TiffBuilder& b) {
             b.Set(256, 65536);
             b.Set(257, 65536);
         }),
         {kTooLargeMessage}},
        {"100000 x 1",
         edited([](TiffBuilder& b) {
             b.Set(256, 100000);
             b.Set(257, 1);
         }),
         {kTooLargeMessage}},
        {"gigapixels in a tiny file",
         edited([](TiffBuilder& b) {
             b.Set(256, 40000);
             b.Set(257, 40000);
         }),
         {kTooLargeMessage}},
        {"allowed size, data missing", edited([](TiffBuilder& b) {
             b.Set(256, 16000);
             b.Set(257, 16000);
             b.Set(278, 1);
             b.Set(259, 5, 3);
         }),
         unreadable},
        {"strip beyond the file", edited([](TiffBuilder& b) { b.Set(273, 1u << 30); }),
         kReadFailures},
        {"no strip offsets", edited([](TiffBuilder& b) { b.Remove(273); }), unreadable},
        {"no width", edited([](TiffBuilder& b) { b.Remove(256); }), unreadable},
        {"3 bits per sample", edited([](TiffBuilder& b) { b.Set(258, 3, 3); }), unreadable},
        {"unknown compression", edited([](TiffBuilder& b) { b.Set(259, 777, 3); }), unreadable},
        {"floating-point samples", edited([](TiffBuilder& b) {
             b.Set(258, 32, 3);
             b.Set(339, 3, 3);
         }),
         unreadable},
        {"one huge compressed strip",
         edited([](TiffBuilder& b) {
             b.Set(256, 20000);
             b.Set(257, 10000);
             b.Set(258, 16, 3);
             b.Set(259, 5, 3);
             b.Set(278, 10000);
         }),
         {"This TIFF file's strips or tiles are too large to read"}},
        {"65535 one-row strips whose tables are missing", edited([](TiffBuilder& b) {
             b.Set(256, 1);
             b.Set(257, 65535);
             b.Set(278, 1);
             b.Set(273, 1u << 20, 4, 65535);
             b.Set(279, 1u << 21, 4, 65535);
         }),
         unreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedPicture d = DecodeTiff(c.file.data(), c.file.size());
        EXPECT_TRUE(c.errors.count(d.error)) << d.error;
        EXPECT_TRUE(d.picture.empty());
    }
}

}  // namespace
}  // namespace wendral::testing
