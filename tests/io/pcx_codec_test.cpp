#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "core/limits.h"
#include "io/codec.h"
#include "tests/io/tga_pcx_tools.h"

namespace wendral {
namespace {

using namespace wendral::tgapcx;

DecodedPicture Decode(const Bytes& b) {
    return DecodePcx(b.data(), b.size());
}

unsigned U16(const Bytes& b, std::size_t at) {
    return b[at] | unsigned{b[at + 1]} << 8;
}

Picture BlackWhitePattern(int width, int height) {
    return MakePicture(width, height, [](int x, int y) {
        return (x * x + y) % 3 == 0 ? Bgr{255, 255, 255} : Bgr{};
    });
}

struct ToolCase {
    std::string name;
    std::function<Picture()> picture;
    std::string command;  // %i and %o stand for the PPM given and the PCX made
    unsigned bits;
    unsigned planes;
};

TEST(PcxDecode, FilesOfIndependentWritersGiveTheirPixels) {
    auto colours = [](int n) { return [n] { return IndexedPattern(13, 7, n); }; };
    auto truecolour = [] { return TrueColourPattern(13, 7); };
    const std::vector<ToolCase> cases = {
        {"netpbm 1 bit x 4 planes", colours(16), "ppmtopcx %i", 1, 4},
        {"netpbm 1 bit x 2 planes", colours(4), "ppmtopcx %i", 1, 2},
        {"netpbm 1 bit x 4 planes of 4 colours", colours(4), "ppmtopcx -planes 4 %i", 1, 4},
        {"netpbm two colours from the header palette", colours(2), "ppmtopcx %i", 1, 1},
        {"netpbm 4 bits x 1 plane", colours(16), "ppmtopcx -packed %i", 4, 1},
        {"netpbm 2 bits x 1 plane", colours(4), "ppmtopcx -packed %i", 2, 1},
        {"netpbm 256-colour palette", colours(40), "ppmtopcx -8bit %i", 8, 1},
        {"netpbm 24 bits", truecolour, "ppmtopcx -24bit %i", 8, 3},
        {"netpbm window away from the origin", colours(16), "ppmtopcx -xpos 5 -ypos 9 %i", 1, 4},
        {"Pillow black and white, empty header palette", [] { return BlackWhitePattern(13, 7); },
         PillowSave("%i", "%o", "PCX", "1"), 1, 1},
        {"Pillow grey", [] { return GreyPattern(13, 7); }, PillowSave("%i", "%o", "PCX", "L"), 8,
         1},
        {"Pillow palette", colours(40), PillowSave("%i", "%o", "PCX", "P"), 8, 1},
        {"Pillow 24 bits", truecolour, PillowSave("%i", "%o", "PCX", "RGB"), 8, 3},
        {"ImageMagick 24 bits", truecolour, "convert %i pcx:%o", 8, 3},
        {"ImageMagick palette", colours(40), "convert %i -type palette pcx:%o", 8, 1},
    };
    ScratchDir dir;
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Picture pattern = c.picture();
        WritePpm(dir / "in.ppm", pattern);
        std::string command = c.command;
        command.replace(command.find("%i"), 2, dir / "in.ppm");
        if (const auto o = command.find("%o"); o != std::string::npos)
            command.replace(o, 2, dir / "t.pcx");
        else
            command += " > " + dir / "t.pcx" + " 2>/dev/null";
        ASSERT_TRUE(RunTool(command));
        const Bytes file = ReadBytes(dir / "t.pcx");
        ASSERT_GE(file.size(), 128u);
        // The writer made the variant this case is about.
        ASSERT_EQ(file[3], c.bits);
        ASSERT_EQ(file[65], c.planes);

        const DecodedPicture d = Decode(file);
        ASSERT_EQ(d.error, "");
        EXPECT_TRUE(SamePixels(d.picture, pattern));
        EXPECT_EQ(d.picture.BitsPerPixel(), c.bits == 8 && c.planes >= 3 ? 24 : 8);
    }
}

// PCX files put together byte by byte, for variants no tool at hand writes.
struct PcxFile {
    std::uint8_t version = 5;
    std::uint8_t encoding = 1;
    std::uint8_t bits = 8;
    std::uint16_t xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    std::uint8_t planes = 3;
    std::uint16_t lineBytes = 2;
    Bytes headerPalette = Bytes(48, 0);
    Bytes data;
    Bytes trailer;

    Bytes Build() const {
        Bytes b(128, 0);
        auto put16 = [&b](std::size_t at, unsigned v) {
            b[at] = static_cast<std::uint8_t>(v);
            b[at + 1] = static_cast<std::uint8_t>(v >> 8);
        };
        b[0] = 0x0A;
        b[1] = version;
        b[2] = encoding;
        b[3] = bits;
        put16(4, xmin);
        put16(6, ymin);
        put16(8, xmax);
        put16(10, ymax);
        std::copy(headerPalette.begin(), headerPalette.end(), b.begin() + 16);
        b[65] = planes;
        put16(66, lineBytes);
        b.insert(b.end(), data.begin(), data.end());
        b.insert(b.end(), trailer.begin(), trailer.end());
        return b;
    }
};

// The whole stream as runs of `run` bytes, crossing plane and line ends at will; bytes that
// could not stand alone are written as runs of one.
Bytes LongRuns(const Bytes& raw, std::size_t run) {
    Bytes out;
    for (std::size_t i = 0; i < raw.size();) {
        std::size_t n = 1;
        while (i + n < raw.size() && n < run && raw[i + n] == raw[i]) ++n;
        if (n > 1 || raw[i] >= 0xC0) out.push_back(static_cast<std::uint8_t>(0xC0 | n));
        out.push_back(raw[i]);
        i += n;
    }
    return out;
}

TEST(PcxDecode, RunsMayCrossPlanesAndLines) {
    // Three planes of 8 bytes per line for a 7-pixel picture; blocks of colour give long runs.
    const Picture pattern = MakePicture(7, 5, [](int x, int y) {
        return y < 3 ? Bgr{0xC7, 0xC7, 0xC7} : Bgr{0xC7, static_cast<std::uint8_t>(x), 9};
    });
    Bytes raw;
    for (int y = 0; y < 5; ++y)
        for (int channel : {2, 1, 0}) {
            for (int x = 0; x < 7; ++x) {
                const Bgr c = pattern.At(x, y);
                raw.push_back(channel == 2 ? c.r : channel == 1 ? c.g : c.b);
            }
            raw.push_back(0xC7);  // the padding byte joins the runs
        }
    PcxFile f;
    f.xmax = 6;
    f.ymax = 4;
    f.lineBytes = 8;
    f.data = LongRuns(raw, 63);
    // The three top lines are one run of 72 bytes, cut into 63 and 9 across the third line.
    ASSERT_EQ(f.data[0], 0xFF);
    ASSERT_EQ(f.data[2], 0xC9);
    const DecodedPicture d = Decode(f.Build());
    ASSERT_EQ(d.error, "");
    EXPECT_TRUE(SamePixels(d.picture, pattern));
}

TEST(PcxDecode, FourPlanesOfEightBitsDropTheFourth) {
    const Picture pattern = TrueColourPattern(5, 3);
    Bytes raw;
    for (int y = 0; y < 3; ++y)
        for (int plane = 0; plane < 4; ++plane) {
            for (int x = 0; x < 5; ++x) {
                const Bgr c = pattern.At(x, y);
                raw.push_back(plane == 0   ? c.r
                              : plane == 1 ? c.g
                              : plane == 2 ? c.b
                                           : static_cast<std::uint8_t>(x * 50));
            }
            raw.push_back(0);
        }
    PcxFile f;
    f.planes = 4;
    f.xmax = 104;  // a window from 100 to 104
    f.xmin = 100;
    f.ymin = 7;
    f.ymax = 9;
    f.lineBytes = 6;
    f.data = LongRuns(raw, 1);
    const DecodedPicture d = Decode(f.Build());
    ASSERT_EQ(d.error, "");
    EXPECT_TRUE(SamePixels(d.picture, pattern));
}

TEST(PcxEncode, WrittenFilesOpenInOurReaderPillowNetpbmAndImageMagick) {
    ScratchDir dir;
    // Bytes of 0xC0 and above must be escaped, and runs longer than 63 split.
    const Picture runs = MakePicture(150, 3, [](int x, int y) {
        return x < 100 ? Bgr{0xC0, 0xFF, 0x3F} : Bgr{static_cast<std::uint8_t>(x + y), 0xC1, 0};
    });
    for (const Picture& pattern :
         {TrueColourPattern(1, 2), TrueColourPattern(4, 6), TrueColourPattern(13, 7), runs}) {
        SCOPED_TRACE(pattern.width);
        Bytes file = {0xAB};  // the encoder appends
        ASSERT_EQ(EncodePcx(PacketOf(pattern), file), "");
        ASSERT_EQ(file[0], 0xAB);
        file.erase(file.begin());
        ASSERT_GE(file.size(), 128u);
        EXPECT_EQ(file[0], 0x0A);
        EXPECT_EQ(file[1], 5);
        EXPECT_EQ(file[2], 1);
        EXPECT_EQ(file[3], 8);
        EXPECT_EQ(file[65], 3);
        EXPECT_EQ(U16(file, 66) % 2, 0u);
        EXPECT_GE(U16(file, 66), static_cast<unsigned>(pattern.width));
        EXPECT_EQ(U16(file, 8) - U16(file, 4) + 1, static_cast<unsigned>(pattern.width));
        EXPECT_EQ(U16(file, 10) - U16(file, 6) + 1, static_cast<unsigned>(pattern.height));

        const DecodedPicture d = Decode(file);
        ASSERT_EQ(d.error, "");
        EXPECT_TRUE(SamePixels(d.picture, pattern));
        WriteBytes(dir / "w.pcx", file);
        // Pillow misreads 24-bit PCX files one pixel wide, its own included.
        if (pattern.width > 1) {
            ASSERT_TRUE(RunTool(PillowToPpm(dir / "w.pcx", dir / "pil.ppm")));
            EXPECT_TRUE(SamePictures(ReadPpm(dir / "pil.ppm"), pattern));
        }
        ASSERT_TRUE(RunTool("convert " + dir / "w.pcx" + " ppm:" + dir / "im.ppm"));
        EXPECT_TRUE(SamePictures(ReadPpm(dir / "im.ppm"), pattern));
        ASSERT_TRUE(
            RunTool("pcxtoppm " + dir / "w.pcx" + " > " + dir / "pbm.ppm" + " 2>/dev/null"));
        EXPECT_TRUE(SamePictures(ReadPpm(dir / "pbm.ppm"), pattern));
    }
    // The runs of 100 equal bytes took at most two packets each.
    Bytes file;
    ASSERT_EQ(EncodePcx(PacketOf(runs), file), "");
    EXPECT_LT(file.size(), 128u + 3u * 3u * (4u + 2u * 50u + 2u));
}

// A sound 2 x 2 24-bit file, changed by `edit`.
Bytes Edited(std::function<void(PcxFile&)> edit) {
    PcxFile f;
    f.xmax = 1;
    f.ymax = 1;
    f.data = Bytes(12, 5);
    edit(f);
    return f.Build();
}

TEST(PcxDecode, BadFilesFailWithATextAndNoPicture) {
    const std::string cutShort = "PCX pixel data is cut short";
    std::vector<BadCase> cases = {
        {"empty", {}, "This PCX file is too short to hold its header"},
        {"one byte", {0x0A}, "This PCX file is too short to hold its header"},
        {"127 bytes",
         [] {
             Bytes b = Edited([](PcxFile&) {});
             b.resize(127);
             return b;
         }(),
         "This PCX file is too short to hold its header"},
        {"not a PCX file",
         [] {
             Bytes b = Edited([](PcxFile&) {});
             b[0] = 0x0B;
             return b;
         }(),
         "This is not a PCX file"},
        {"version 6", Edited([](PcxFile& f) { f.version = 6; }), "PCX version 6 is not supported"},
        {"uncompressed", Edited([](PcxFile& f) { f.encoding = 0; }),
         "PCX encoding 0 is not supported"},
        {"3 bits", Edited([](PcxFile& f) {
             f.bits = 3;
             f.planes = 1;
         }),
         "PCX pictures of 3 bits in 1 plane are not supported"},
        {"4 bits x 2 planes", Edited([](PcxFile& f) {
             f.bits = 4;
             f.planes = 2;
         }),
         "PCX pictures of 4 bits in 2 planes are not supported"},
        {"8 bits x 2 planes", Edited([](PcxFile& f) { f.planes = 2; }),
         "PCX pictures of 8 bits in 2 planes are not supported"},
        {"no planes", Edited([](PcxFile& f) { f.planes = 0; }),
         "PCX pictures of 8 bits in 0 planes are not supported"},
        {"xmax below xmin", Edited([](PcxFile& f) {
             f.xmin = 5;
             f.xmax = 4;
         }),
         "This PCX picture's window is inverted"},
        {"ymax below ymin", Edited([](PcxFile& f) {
             f.ymin = 1;
             f.ymax = 0;
         }),
         "This PCX picture's window is inverted"},
        {"zero bytes per line", Edited([](PcxFile& f) { f.lineBytes = 0; }),
         "This PCX picture has zero bytes per line"},
        {"bytes per line below the width", Edited([](PcxFile& f) { f.xmax = 2; }),
         "This PCX picture's bytes per line (2) are too few for its width (3)"},
        {"bytes per line below a 1-bit width", Edited([](PcxFile& f) {
             f.bits = 1;
             f.planes = 1;
             f.xmax = 16;
         }),
         "This PCX picture's bytes per line (2) are too few for its width (17)"},
        {"65536 x 65536", Edited([](PcxFile& f) {
             f.xmax = 65535;
             f.ymax = 65535;
             f.lineBytes = 65535;
         }),
         "This PCX picture's bytes per line (65535) are too few for its width (65536)"},
        {"65535 x 65535", Edited([](PcxFile& f) {
             f.xmax = 65534;
             f.ymax = 65534;
             f.lineBytes = 65535;
         }),
         kTooLargeMessage},
        {"huge picture, few bytes", Edited([](PcxFile& f) {
             f.xmax = 59999;
             f.ymax = 3999;
             f.lineBytes = 60000;
         }),
         cutShort},
        {"huge lines, few bytes", Edited([](PcxFile& f) {
             f.lineBytes = 65534;
             f.planes = 4;
         }),
         cutShort},
        {"data ends early", Edited([](PcxFile& f) { f.data.resize(11); }), cutShort},
        {"run count as the last byte", Edited([](PcxFile& f) {
             f.data.resize(11);
             f.data.push_back(0xC1);
         }),
         cutShort},
        {"run past the picture", Edited([](PcxFile& f) {
             f.data = {0xC5, 1, 0xC8, 2};
         }),
         "A PCX run runs past the end of the picture"},
        {"256-colour palette missing", Edited([](PcxFile& f) {
             f.planes = 1;
             f.data = Bytes(4, 1);
             f.trailer = Bytes(769, 0);
         }),
         "This PCX picture's 256-colour palette is missing"},
        {"file too short for a 256-colour palette", Edited([](PcxFile& f) {
             f.planes = 1;
             f.data = Bytes(4, 1);
             f.trailer = {0x0C, 1, 2, 3};
         }),
         "This PCX picture's 256-colour palette is missing"},
    };

    // Every prefix of sound files fails: 24 bits, 256 colours, 4 planes of 1 bit.
    const Picture pattern = TrueColourPattern(5, 3);
    Bytes sound24;
    ASSERT_EQ(EncodePcx(PacketOf(pattern), sound24), "");
    PcxFile paletted;
    paletted.planes = 1;
    paletted.xmax = 4;
    paletted.ymax = 2;
    paletted.lineBytes = 6;
    paletted.data = LongRuns({1, 2, 2, 2, 3, 0, 7, 7, 7, 7, 7, 0, 0xC3, 1, 2, 3, 4, 0}, 63);
    paletted.trailer = Bytes(769, 0x21);
    paletted.trailer[0] = 0x0C;
    PcxFile planar = paletted;
    planar.bits = 1;
    planar.planes = 4;
    planar.lineBytes = 2;
    planar.data = LongRuns(Bytes(24, 0xA5), 63);
    planar.trailer.clear();
    for (const Bytes& whole : {sound24, paletted.Build(), planar.Build()}) {
        ASSERT_EQ(Decode(whole).error, "");
        AddPrefixes(cases, whole);
    }

    ExpectEachFails(cases, DecodePcx);
}

}  // namespace
}  // namespace wendral
