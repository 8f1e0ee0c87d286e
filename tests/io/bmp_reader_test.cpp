#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "core/convert24.h"
#include "core/limits.h"
#include "core/pixel.h"
#include "core/size_math.h"
#include "io/bmp.h"
#include "io/picture_file.h"
#include "tests/io/picture_builders.h"

namespace wendral {
namespace {

using testfiles::Bmp;
using testfiles::BmpFields;
using testfiles::Bytes;
using testfiles::MakeBmp;
using testfiles::MakeRows;

struct Loaded {
    bool ok = false;
    SourceDocument doc;
    Messages messages;
};

// The document starts with a picture of its own so that what a failure leaves is visible.
Loaded Fresh() {
    Loaded l;
    l.doc.packet = MakePicturePacket(4, 4, nullptr);
    l.doc.PictureWidth = 9;
    l.doc.PictureHeight = 7;
    return l;
}

// The bytes as the fuzzed reader takes them; read from a file, which the open command reads in
// two parts, they must give the same document and messages.
Loaded Load(const Bytes& file) {
    Loaded l = Fresh();
    l.ok = LoadBmpBytes(file.data(), file.size(), l.doc, l.messages);
    static const testfiles::TempDir dir;
    testfiles::WriteFile(dir / "p.bmp", file);
    Loaded f = Fresh();
    f.ok = LoadBmpFile(dir / "p.bmp", f.doc, f.messages);
    EXPECT_EQ(f.ok, l.ok);
    EXPECT_EQ(f.messages, l.messages);
    EXPECT_EQ(f.doc.packet, l.doc.packet);
    EXPECT_EQ(f.doc.PictureWidth, l.doc.PictureWidth);
    EXPECT_EQ(f.doc.PictureHeight, l.doc.PictureHeight);
    return l;
}

// Pixel (x, r) of a 24-bit packet, r counting stored rows from the bottom.
Bgr At(const PicturePacket& p, int x, int r) {
    const std::uint8_t* q = p.data() + p.PixelBitsOffset() + RowStride24(p.Width()) * r + 3 * x;
    return Bgr{q[0], q[1], q[2]};
}

void ExpectNormalPacket(const Loaded& l, int width, int height) {
    ASSERT_TRUE(l.ok) << (l.messages.empty() ? "" : l.messages[0]);
    EXPECT_EQ(l.doc.packet.HeaderSize(), 40u);
    EXPECT_EQ(l.doc.packet.BitsPerPixel(), 24);
    EXPECT_EQ(l.doc.packet.Width(), width);
    EXPECT_EQ(l.doc.packet.Height(), height);
    EXPECT_EQ(l.doc.packet.size(), 40 + RowStride24(width) * height);
    EXPECT_EQ(l.doc.PictureWidth, width);
    EXPECT_EQ(l.doc.PictureHeight, height);
}

std::array<std::uint8_t, 3> Colour(int i) {
    return {static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(i * 13 + 1),
            static_cast<std::uint8_t>(255 - i)};
}

TEST(BmpReader, PaletteDepthsExpandThroughTheirColourTable) {
    struct Case {
        std::uint32_t header;
        std::uint16_t bits;
        int width;
        std::uint32_t coloursUsed;
    };
    const Case cases[] = {{40, 8, 3, 0},  {40, 8, 5, 5}, {40, 4, 16, 0}, {40, 4, 17, 0},
                          {40, 4, 17, 3}, {12, 8, 3, 0}, {12, 4, 17, 0}, {124, 8, 6, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << c.header << "-byte header, " << c.bits << " bits, width " << c.width);
        const int height = 2;
        const int entries = c.coloursUsed ? static_cast<int>(c.coloursUsed) : 1 << c.bits;
        auto index = [&](int r, int x) { return (x * 3 + r * 5) % entries; };
        BmpFields s = Bmp(c.width, height, c.bits, c.header, 0, c.coloursUsed);
        for (int i = 0; i < entries; ++i) s.palette.push_back(Colour(i));
        const std::size_t rowBytes = *PaddedRowBytes(c.width, c.bits);
        s.rows = MakeRows(height, rowBytes, [&](int r, std::size_t i) {
            const int x = static_cast<int>(c.bits == 8 ? i : 2 * i);
            if (x >= c.width) return 0;
            if (c.bits == 8) return index(r, x);
            return index(r, x) << 4 | (x + 1 < c.width ? index(r, x + 1) : 0);
        });
        const Loaded l = Load(MakeBmp(s));
        ExpectNormalPacket(l, c.width, height);
        for (int r = 0; r < height; ++r)
            for (int x = 0; x < c.width; ++x) {
                const auto e = Colour(index(r, x));
                ASSERT_EQ(At(l.doc.packet, x, r), (Bgr{e[0], e[1], e[2]})) << x << "," << r;
            }
        for (std::size_t pad = 3 * c.width; pad < RowStride24(c.width); ++pad)
            EXPECT_EQ(l.doc.packet.data()[40 + pad], 0);
    }
}

TEST(BmpReader, TrueColourPicturesAreKeptOrRepackedWithMasksSkippedOnlyAfterA40ByteHeader) {
    const int w = 5, h = 3;
    // 24 bits in a 108-byte header: the packet is the file after its file header.
    BmpFields keep = Bmp(w, h, 24, 108);
    keep.rows = MakeRows(h, RowStride24(w), [](int r, std::size_t i) { return r * 50 + i; });
    const Bytes keptFile = MakeBmp(keep);
    const Loaded kept = Load(keptFile);
    ASSERT_TRUE(kept.ok);
    EXPECT_EQ(kept.doc.packet.block(), Bytes(keptFile.begin() + 14, keptFile.end()));
    EXPECT_EQ(kept.doc.PictureWidth, w);

    const std::vector<std::uint32_t> masks = {0xFF0000, 0xFF00, 0xFF};
    for (std::uint32_t header : {40u, 108u, 124u}) {
        for (std::uint32_t compression : {0u, 3u}) {
            SCOPED_TRACE(::testing::Message()
                         << header << "-byte header, compression " << compression);
            BmpFields s = Bmp(w, h, 32, header, compression);
            if (compression == 3) s.masks = masks;
            s.rows = MakeRows(h, 4 * w, [](int r, std::size_t i) { return 100 + r * 40 + i; });
            const Loaded l = Load(MakeBmp(s));
            ExpectNormalPacket(l, w, h);
            for (int r = 0; r < h; ++r)
                for (int x = 0; x < w; ++x) {
                    const std::uint8_t* p = s.rows.data() + r * 4 * w + 4 * x;
                    ASSERT_EQ(At(l.doc.packet, x, r), (Bgr{p[0], p[1], p[2]}));
                }
        }
    }
}

TEST(BmpReader, TopDownFilesGiveTheSameBottomUpPacket) {
    for (std::uint16_t bits : {8, 24, 32}) {
        SCOPED_TRACE(bits);
        const int w = 7, h = 4;
        BmpFields up = Bmp(w, h, bits);
        if (bits == 8)
            for (int i = 0; i < 256; ++i) up.palette.push_back(Colour(i));
        const std::size_t rowBytes = *PaddedRowBytes(w, bits);
        // Padding bytes stay zero: a kept packet keeps the file's, a repacked one has zeros.
        up.rows = MakeRows(h, rowBytes, [&](int r, std::size_t i) {
            return i < w * bits / 8u ? r * 31 + i * 3 : 0;
        });
        BmpFields down = up;
        down.height = -h;
        for (int r = 0; r < h; ++r)
            std::copy_n(up.rows.begin() + r * rowBytes, rowBytes,
                        down.rows.begin() + (h - 1 - r) * rowBytes);
        const Loaded a = Load(MakeBmp(up));
        const Loaded b = Load(MakeBmp(down));
        ExpectNormalPacket(b, w, h);
        ASSERT_TRUE(a.ok);
        EXPECT_EQ(a.doc.packet.block(), b.doc.packet.block());
    }
}

TEST(BmpReader, FileHeaderOffsetIsUsedWhenItPointsPastTheHeaderInsideTheFile) {
    const int w = 6, h = 3;
    BmpFields plain = Bmp(w, h, 8);
    for (int i = 0; i < 256; ++i) plain.palette.push_back(Colour(i));
    plain.rows = MakeRows(h, 8, [](int r, std::size_t i) { return (r + i) % 2; });
    const Loaded reference = Load(MakeBmp(plain));
    ASSERT_TRUE(reference.ok);

    BmpFields gap = plain;
    gap.gap = 100;
    BmpFields shortTable = plain;  // only the two colours used, yet no colours-used count
    shortTable.palette.resize(2);
    BmpFields inHeader = plain;
    inHeader.pixelOffset = 20;
    BmpFields beyondFile = plain;
    beyondFile.pixelOffset = 1u << 30;
    BmpFields zero = plain;
    zero.pixelOffset = 0;
    for (const BmpFields* s : {&gap, &shortTable, &inHeader, &beyondFile, &zero}) {
        const Loaded l = Load(MakeBmp(*s));
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(l.doc.packet.block(), reference.doc.packet.block());
    }
}

TEST(BmpReader, PicturesBeyondTheLoadLimitsFailBeforeTouchingTheDocument) {
    BmpFields wide = Bmp(65536, 1, 4);
    wide.palette.resize(16);
    wide.rows.resize(32768);
    const Loaded l = Load(MakeBmp(wide));
    EXPECT_FALSE(l.ok);
    EXPECT_EQ(l.messages, Messages{kTooLargeMessage});
    EXPECT_EQ(l.doc.packet, MakePicturePacket(4, 4, nullptr));
    EXPECT_EQ(l.doc.PictureWidth, 9);

    // A pasted packet that claims gigapixels is refused before its size is believed.
    SourceDocument doc;
    doc.packet = MakePicturePacket(1, 1, nullptr);
    doc.packet.SetU32(4, 50000);
    doc.packet.SetU32(8, 50000);
    Messages out;
    EXPECT_FALSE(ConvertTo24Bit(doc, out));
    EXPECT_EQ(out, Messages{kTooLargeMessage});
    EXPECT_TRUE(doc.packet.empty());
    EXPECT_FALSE(ConvertTo24Bit(doc, out));  // nothing left to convert: nothing said
    EXPECT_EQ(out.size(), 1u);
}

TEST(BmpReader, BadFilesFailWithTheirMessagesAndLeaveNoPacket) {
    BmpFields base = Bmp(5, 4, 8);
    for (int i = 0; i < 256; ++i) base.palette.push_back(Colour(i));
    base.rows.resize(8 * 4);
    const Bytes good = MakeBmp(base);
    ASSERT_TRUE(Load(good).ok);

    struct Case {
        std::string name;
        Bytes file;
        bool unsupported;
    };
    std::vector<Case> cases;
    for (std::size_t length = 0; length < good.size(); ++length)
        cases.push_back({"truncated to " + std::to_string(length),
                         Bytes(good.begin(), good.begin() + length), false});
    auto variant = [&](const std::string& name, auto change, bool unsupported = false) {
        BmpFields s = base;
        change(s);
        cases.push_back({name, MakeBmp(s), unsupported});
    };
    auto patched = [&](const std::string& name, std::size_t at, std::uint64_t v, int n) {
        Bytes b = good;
        testfiles::PutLe(b, at, v, n);
        cases.push_back({name, b, false});
    };
    patched("magic BA", 1, 'A', 1);
    patched("magic MB", 0, 'M' | 'B' << 8, 2);
    for (std::uint32_t hs : {0u, 11u, 39u, 0xFFFFFFFFu})
        patched("header size " + std::to_string(hs), 14, hs, 4);
    patched("zero height", 22, 0, 4);
    patched("INT_MIN height", 22, 0x80000000u, 4);
    patched("zero width", 18, 0, 4);
    patched("negative width", 18, static_cast<std::uint32_t>(-5), 4);
    patched("all colours used", 46, 0xFFFFFFFFu, 4);
    variant("gigapixels in a tiny file", [](BmpFields& s) {
        s.width = 50000;
        s.height = 50000;
    });
    variant("65536 x 65536 24-bit", [](BmpFields& s) {
        s = Bmp(65536, 65536, 24);
        s.rows.resize(64);
    });
    variant("row bytes wrapping 32 bits", [](BmpFields& s) {
        s = Bmp(0x55555556, 1, 24);
        s.rows.resize(8);
    });
    variant("32-bit row bytes wrapping to 0", [](BmpFields& s) {
        s = Bmp(0x40000000, 2, 32);
        s.rows.resize(8);
    });
    variant("12-byte header claiming 30000 x 30000", [](BmpFields& s) {
        s = Bmp(30000, 30000, 24, 12);
        s.rows.resize(64);
    });
    variant("24-bit with a colour table past the end", [](BmpFields& s) {
        s = Bmp(1, 1, 24, 40, 0, 0x40000000);
        s.rows.resize(4);
    });
    for (std::uint16_t bits : {1, 2, 16, 64})
        variant(
            std::to_string(bits) + "-bit",
            [bits](BmpFields& s) {
                s.bits = bits;
                s.rows.resize(*PaddedRowBytes(5, bits) * 4);
            },
            true);
    variant(
        "run-length 8-bit", [](BmpFields& s) { s.compression = 1; }, true);
    variant(
        "run-length 4-bit",
        [](BmpFields& s) {
            s.bits = 4;
            s.compression = 2;
        },
        true);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded l = Load(c.file);
        EXPECT_FALSE(l.ok);
        const Messages expected =
            c.unsupported ? Messages{kUnsupportedBitmap, kCantLoadFile} : Messages{kCantLoadFile};
        EXPECT_EQ(l.messages, expected);
        EXPECT_TRUE(l.doc.packet.empty());
        EXPECT_EQ(l.doc.PictureWidth, 9);
        EXPECT_EQ(l.doc.PictureHeight, 7);
    }
}

TEST(BmpReader, OddButReadableFilesGiveWhatTheirBytesSay) {
    // Indices beyond the colour table are black; a long table is skipped whole.
    BmpFields shortTable = Bmp(4, 1, 8, 40, 0, 2);
    shortTable.palette = {Colour(1), Colour(2)};
    shortTable.rows = {0, 1, 200, 255};
    BmpFields longTable = Bmp(4, 1, 8, 40, 0, 300);
    for (int i = 0; i < 300; ++i) longTable.palette.push_back(i < 2 ? Colour(i + 1) : Colour(0));
    longTable.rows = {0, 1, 2, 3};
    for (const BmpFields* s : {&shortTable, &longTable}) {
        const Loaded l = Load(MakeBmp(*s));
        ExpectNormalPacket(l, 4, 1);
        EXPECT_EQ(At(l.doc.packet, 0, 0), (Bgr{Colour(1)[0], Colour(1)[1], Colour(1)[2]}));
        EXPECT_EQ(At(l.doc.packet, 1, 0), (Bgr{Colour(2)[0], Colour(2)[1], Colour(2)[2]}));
        EXPECT_EQ(At(l.doc.packet, 3, 0),
                  (s == &shortTable ? Bgr{} : Bgr{Colour(0)[0], Colour(0)[1], Colour(0)[2]}));
    }
}

// A 32-bit picture with the given masks whose pixels hold `values`, one row.
BmpFields MaskedBmp(std::uint32_t header, std::uint32_t compression,
                    std::vector<std::uint32_t> masks, const std::vector<std::uint32_t>& values) {
    BmpFields s = Bmp(static_cast<std::int32_t>(values.size()), 1, 32, header, compression);
    s.masks = std::move(masks);
    s.rows.resize(4 * values.size());
    for (std::size_t i = 0; i < values.size(); ++i) testfiles::PutLe(s.rows, 4 * i, values[i], 4);
    return s;
}

TEST(BmpReader, BitFieldPicturesWithOtherMasksReadEachColourThroughItsMask) {
    // Red in the top byte, blue in bits 12 to 19, green in bits 4 to 11; the bits no mask
    // covers are set and must not show.
    const int w = 5, h = 3;
    auto colour = [](int x, int r) {
        return Bgr{std::uint8_t(x * 50 + r), std::uint8_t(255 - x * 9 - r),
                   std::uint8_t(x * 17 + r * 80)};
    };
    const std::uint32_t red = 0xFF000000, green = 0x00000FF0, blue = 0x000FF000;
    for (auto [header, compression, alpha] :
         {std::tuple{40u, 3u, false}, {40u, 6u, true}, {124u, 3u, false}}) {
        SCOPED_TRACE(::testing::Message() << header << "-byte header, compression " << compression);
        BmpFields s = Bmp(w, h, 32, header, compression);
        s.masks = {red, green, blue};
        if (alpha) s.masks.push_back(0x00F0000F);
        s.rows.resize(4 * w * h);
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x) {
                const Bgr c = colour(x, r);
                testfiles::PutLe(s.rows, 4 * (r * w + x),
                                 std::uint32_t{c.r} << 24 | std::uint32_t{c.b} << 12 |
                                     std::uint32_t{c.g} << 4 | 0x00F0000F,
                                 4);
            }
        const Bytes file = MakeBmp(s);
        const Loaded l = Load(file);
        ExpectNormalPacket(l, w, h);
        for (int r = 0; r < h; ++r)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(At(l.doc.packet, x, r), colour(x, r)) << x << "," << r;

        // The same body pasted from the clipboard goes through the same conversion.
        SourceDocument pasted;
        pasted.packet = BmpFileBody(file.data(), file.size());
        Messages out;
        ASSERT_TRUE(ConvertTo24Bit(pasted, out));
        EXPECT_EQ(pasted.packet, l.doc.packet);

        // A common reader agrees (its support for the alpha bit-field compression varies).
        if (compression != 3 || !testfiles::HaveConvert()) continue;
        testfiles::TempDir dir;
        testfiles::WriteFile(dir / "masks.bmp", file);
        ASSERT_TRUE(
            testfiles::Run("convert " + dir / "masks.bmp" + " -depth 8 ppm:" + dir / "masks.ppm"));
        const testfiles::Ppm ref = testfiles::ReadPpm(dir / "masks.ppm");
        ASSERT_EQ(ref.width, w);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = ref.rgb.data() + (y * w + x) * 3;
                ASSERT_EQ(At(l.doc.packet, x, h - 1 - y), (Bgr{p[2], p[1], p[0]}))
                    << "ImageMagick at " << x << "," << y;
            }
    }
}

TEST(BmpReader, EachMaskWidthIsBroughtTo8Bits) {
    struct Case {
        const char* name;
        std::vector<std::uint32_t> masks;  // red, green, blue
        std::uint32_t pixel;
        Bgr expected;
    };
    const Case cases[] = {
        {"1-bit fields", {0x80000000, 0x00000001, 0x00010000}, 0x80000001, Bgr{0, 255, 255}},
        {"1-bit fields clear", {0x80000000, 0x00000001, 0x00010000}, 0x7FFEFFFE, Bgr{0, 0, 0}},
        {"5-bit fields", {0x7C00, 0x03E0, 0x001F}, 31 << 10 | 16 << 5 | 1, Bgr{8, 132, 255}},
        {"10-bit fields keep their top 8",
         {0x3FF00000, 0x000FFC00, 0x000003FF},
         0x3FFu << 20 | 0x201u << 10 | 0x3,
         Bgr{0, 128, 255}},
        {"16-bit fields and a zero mask",
         {0xFFFF0000, 0x0000FFFF, 0},
         0x80FF1234,
         Bgr{0, 0x12, 0x80}},
        {"a zero mask beside usual ones",
         {0, 0x0000FF00, 0x000000FF},
         0x00AABBCC,
         Bgr{0xCC, 0xBB, 0}},
        {"masks with gaps", {0x00000005, 0x00000500, 0x80000001}, 0x00000104, Bgr{0, 51, 204}},
        {"overlapping whole-pixel masks",
         {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF},
         0x04030201,
         Bgr{4, 4, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded l = Load(MakeBmp(MaskedBmp(40, 3, c.masks, {c.pixel})));
        ExpectNormalPacket(l, 1, 1);
        EXPECT_EQ(At(l.doc.packet, 0, 0), c.expected);
    }
}

TEST(BmpReader, UsualOrMissingMasksGiveTheBytesOfThePlainLayout) {
    const std::vector<std::uint32_t> values = {0x01020304, 0xFFFEFDFC, 0x80706050};
    const std::vector<std::uint32_t> usual = {0x00FF0000, 0x0000FF00, 0x000000FF};
    const Loaded plain = Load(MakeBmp(MaskedBmp(40, 0, {}, values)));
    ExpectNormalPacket(plain, 3, 1);
    EXPECT_EQ(At(plain.doc.packet, 1, 0), (Bgr{0xFC, 0xFD, 0xFE}));
    struct Case {
        const char* name;
        std::uint32_t header;
        std::uint32_t compression;
        std::vector<std::uint32_t> masks;
    };
    const Case cases[] = {
        {"usual masks", 40, 3, usual},
        {"usual masks in a 124-byte header", 124, 3, usual},
        {"usual masks and an alpha mask", 40, 6, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}},
        {"all-zero masks", 40, 3, {0, 0, 0}},
        {"other masks in a header without bit fields",
         124,
         0,
         {0xFF000000, 0x00FF0000, 0x0000FF00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Loaded l = Load(MakeBmp(MaskedBmp(c.header, c.compression, c.masks, values)));
        ASSERT_TRUE(l.ok);
        EXPECT_EQ(l.doc.packet, plain.doc.packet);
    }
}

TEST(BmpClipboardForm, APacketTravelsAsAFileWhoseBodyIsThePacketByteForByte) {
    const Bytes rows =
        MakeRows(2, RowStride24(3), [](int r, std::size_t i) { return r * 40 + i + 1; });
    const PicturePacket packet = MakePicturePacket(3, 2, rows.data());
    const Bytes file = BmpFileOfPacket(packet);
    ASSERT_EQ(file.size(), 14 + packet.size());
    Bytes header(14, 0);
    header[0] = 'B';
    header[1] = 'M';
    testfiles::PutLe(header, 2, file.size(), 4);
    testfiles::PutLe(header, 10, 54, 4);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 14), header);
    EXPECT_EQ(BmpFileBody(file.data(), file.size()), packet);
    // It is a file the open command reads to the same picture.
    const Loaded l = Load(file);
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.doc.packet, packet);

    EXPECT_TRUE(BmpFileBody(file.data(), 14).empty());
    Bytes other = file;
    other[1] = 'A';
    EXPECT_TRUE(BmpFileBody(other.data(), other.size()).empty());
}

TEST(BmpReader, FilesWrittenByOtherProgramsReadPixelForPixel) {
    if (!testfiles::HaveConvert() || !testfiles::HavePillow())
        GTEST_SKIP() << "needs ImageMagick and Pillow";
    testfiles::TempDir dir;
    const int w = 37, h = 23;
    testfiles::WritePpm(dir / "in.ppm", {w, h, testfiles::TestPixels(w, h, 3)});
    const std::string in = dir / "in.ppm";
    std::vector<std::pair<std::string, std::string>> makers;
    const std::pair<const char*, const char*> magick[] = {
        {"im24.bmp", "BMP3:"},
        {"im8.bmp", "-type Palette -compress none BMP3:"},
        {"imv5.bmp", "BMP:"},
        {"im4.bmp", "-colors 16 -type Palette -compress none BMP3:"},
        {"imcore4.bmp", "-colors 16 BMP2:"},
        {"imcore8.bmp", "-type Palette BMP2:"},
        {"imalpha.bmp",
         "-alpha on -channel A -fx 0.5 BMP:"}};  // 32-bit bit fields in a 124-byte header
    for (auto [name, args] : magick)
        makers.emplace_back(name, "convert " + in + " " + args + dir / name);
    for (const char* mode : {"RGB", "P", "RGBA", "L"}) {
        const std::string name = std::string("pil") + mode + ".bmp";
        makers.emplace_back(name, std::string(testfiles::kPillow) +
                                      " -c \"from PIL import Image; Image.open('" + in +
                                      "').convert('" + mode + "').save('" + dir / name + "')\"");
    }
    for (const auto& [name, command] : makers) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(testfiles::Run(command)) << command;
        ASSERT_TRUE(
            testfiles::Run("convert " + dir / name + " -depth 8 ppm:" + dir / (name + ".ppm")));
        const testfiles::Ppm ref = testfiles::ReadPpm(dir / (name + ".ppm"));
        const Loaded l = Load(testfiles::ReadFile(dir / name));
        ASSERT_TRUE(l.ok);  // 24-bit files are kept with their own header
        EXPECT_EQ(l.doc.packet.BitsPerPixel(), 24);
        EXPECT_EQ(l.doc.packet.Height(), h);
        ASSERT_EQ(ref.width, w);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* p = ref.rgb.data() + (y * w + x) * 3;
                ASSERT_EQ(At(l.doc.packet, x, h - 1 - y), (Bgr{p[2], p[1], p[0]})) << x << "," << y;
            }
    }
}

}  // namespace
}  // namespace wendral
