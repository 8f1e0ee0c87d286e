#include <gtest/gtest.h>

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
    return DecodeTga(b.data(), b.size());
}

// netpbm widens 5-bit channels to 8 bits by rounding.
std::string NetpbmToPpm(const std::string& in, const std::string& out) {
    return "tgatoppm " + in + " 2>/dev/null | pamdepth 255 > " + out;
}

struct ToolCase {
    std::string name;
    std::function<Picture()> picture;
    std::function<std::string(const std::string& ppm, const std::string& tga)> command;
    int imageType;
    int pixelBits;
    bool topLeft;
    bool exactPattern;  // otherwise netpbm's reading of the file is the reference (5-bit colours)
};

TEST(TgaDecode, FilesOfIndependentWritersGiveTheirPixels) {
    auto colours40 = [] { return IndexedPattern(13, 7, 40); };
    auto truecolour = [] { return TrueColourPattern(13, 7); };
    auto grey = [] { return GreyPattern(13, 7); };
    auto pam = [](std::string opts) {
        return [opts](const std::string& ppm, const std::string& tga) {
            return "pamtotga " + opts + " " + ppm + " > " + tga + " 2>/dev/null";
        };
    };
    auto pil = [](std::string mode, std::string args) {
        return [mode, args](const std::string& ppm, const std::string& tga) {
            return PillowSave(ppm, tga, "TGA", mode, args);
        };
    };
    const std::vector<ToolCase> cases = {
        {"netpbm true colour", truecolour, pam("-rgb -norle"), 2, 24, false, true},
        {"netpbm true colour, run-length", truecolour, pam("-rgb"), 10, 24, false, true},
        {"netpbm colour map", colours40, pam("-cmap -norle"), 1, 8, false, true},
        {"netpbm colour map, run-length", colours40, pam("-cmap"), 9, 8, false, true},
        {"netpbm 15-bit colour map", colours40, pam("-cmap16 -norle"), 1, 8, false, false},
        {"netpbm 15-bit colour map, run-length", colours40, pam("-cmap16"), 9, 8, false, false},
        {"netpbm grey", grey, pam("-mono -norle"), 3, 8, false, true},
        {"netpbm grey, run-length", grey, pam("-mono"), 11, 8, false, true},
        {"Pillow true colour", truecolour, pil("RGB", ""), 2, 24, false, true},
        {"Pillow true colour, run-length", truecolour, pil("RGB", ", compression='tga_rle'"), 10,
         24, false, true},
        {"Pillow top-left origin", truecolour, pil("RGB", ", orientation=1"), 2, 24, true, true},
        {"Pillow top-left origin, run-length", truecolour,
         pil("RGB", ", orientation=1, compression='tga_rle'"), 10, 24, true, true},
        {"Pillow 32 bits with alpha", truecolour, pil("RGBA", ""), 2, 32, false, true},
        {"Pillow 32 bits with alpha, top-left, run-length", truecolour,
         pil("RGBA", ", orientation=1, compression='tga_rle'"), 10, 32, true, true},
        {"Pillow grey", grey, pil("L", ""), 3, 8, false, true},
        {"Pillow grey with alpha", grey, pil("LA", ", compression='tga_rle'"), 11, 16, false, true},
        {"Pillow palette", colours40, pil("P", ""), 1, 8, false, true},
        {"Pillow palette, top-left, run-length", colours40,
         pil("P", ", orientation=1, compression='tga_rle'"), 9, 8, true, true},
    };
    ScratchDir dir;
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(c.name);
        const Picture pattern = c.picture();
        WritePpm(dir / "in.ppm", pattern);
        ASSERT_TRUE(RunTool(c.command(dir / "in.ppm", dir / "t.tga")));
        const Bytes file = ReadBytes(dir / "t.tga");
        ASSERT_GE(file.size(), 18u);
        // The writer made the variant this case is about.
        ASSERT_EQ(file[2], c.imageType);
        ASSERT_EQ(file[16], c.pixelBits);
        ASSERT_EQ((file[17] & 0x20) != 0, c.topLeft);

        const DecodedPicture d = Decode(file);
        ASSERT_EQ(d.error, "");
        if (c.exactPattern) {
            EXPECT_TRUE(SamePixels(d.picture, pattern));
        } else {
            ASSERT_TRUE(RunTool(NetpbmToPpm(dir / "t.tga", dir / "ref.ppm")));
            EXPECT_TRUE(SamePixels(d.picture, ReadPpm(dir / "ref.ppm")));
        }
        // Colour-mapped and grey pictures keep a colour table; true colour comes as 24 bits.
        EXPECT_EQ(d.picture.BitsPerPixel(), c.imageType == 2 || c.imageType == 10 ? 24 : 8);
    }
}

// TGA files put together byte by byte, for variants no tool at hand writes.
struct TgaFile {
    std::uint8_t mapType = 0;
    std::uint8_t imageType = 2;
    std::uint16_t mapFirst = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t mapBits = 0;
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    std::uint8_t pixelBits = 24;
    std::uint8_t descriptor = 0;
    Bytes id;
    Bytes map;
    Bytes pixels;

    Bytes Build() const {
        Bytes b = {static_cast<std::uint8_t>(id.size()), mapType, imageType};
        auto put16 = [&b](unsigned v) {
            b.push_back(static_cast<std::uint8_t>(v));
            b.push_back(static_cast<std::uint8_t>(v >> 8));
        };
        put16(mapFirst);
        put16(mapLength);
        b.push_back(mapBits);
        put16(0);
        put16(0);
        put16(width);
        put16(height);
        b.push_back(pixelBits);
        b.push_back(descriptor);
        for (const Bytes* part : {&id, &map, &pixels})
            b.insert(b.end(), part->begin(), part->end());
        return b;
    }
};

// Run-length packets over a stream of pixels of `bytes` bytes each: repeats become run packets,
// the rest raw packets, neither longer than 128 and free to cross row ends.
Bytes RunLength(const Bytes& raw, std::size_t bytes) {
    Bytes out;
    const std::size_t n = raw.size() / bytes;
    auto same = [&](std::size_t a, std::size_t b) {
        return std::equal(&raw[a * bytes], &raw[a * bytes] + bytes, &raw[b * bytes]);
    };
    std::size_t i = 0;
    while (i < n) {
        std::size_t run = 1;
        while (i + run < n && run < 128 && same(i, i + run)) ++run;
        if (run > 1) {
            out.push_back(static_cast<std::uint8_t>(0x80 | (run - 1)));
            out.insert(out.end(), &raw[i * bytes], &raw[i * bytes] + bytes);
            i += run;
            continue;
        }
        std::size_t lit = 1;
        while (i + lit < n && lit < 128 && !(i + lit + 1 < n && same(i + lit, i + lit + 1))) ++lit;
        out.push_back(static_cast<std::uint8_t>(lit - 1));
        out.insert(out.end(), &raw[i * bytes], &raw[(i + lit) * bytes]);
        i += lit;
    }
    return out;
}

// The pattern's pixels in file order for the orientation bits of `descriptor`.
template <class F>
Bytes FileOrder(const Picture& p, std::uint8_t descriptor, F store) {
    Bytes out;
    for (int r = 0; r < p.height; ++r) {
        const int y = descriptor & 0x20 ? r : p.height - 1 - r;
        for (int c = 0; c < p.width; ++c)
            store(out, p.At(descriptor & 0x10 ? p.width - 1 - c : c, y));
    }
    return out;
}

void Store24(Bytes& out, Bgr c) {
    out.insert(out.end(), {c.b, c.g, c.r});
}

TEST(TgaDecode, EveryOriginPlacesThePixels) {
    // Wide enough for runs of 128 that wrap rows; Pillow reads the same file as the reference.
    const Picture pattern = MakePicture(150, 5, [](int x, int y) {
        return x < 140 && y < 3
                   ? Bgr{10, 20, 30}
                   : Bgr{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y * 40), 99};
    });
    ScratchDir dir;
    for (std::uint8_t descriptor : {0x00, 0x10, 0x20, 0x30}) {
        for (bool rle : {false, true}) {
            SCOPED_TRACE(::testing::Message()
                         << "descriptor " << int(descriptor) << (rle ? " run-length" : ""));
            TgaFile f;
            f.imageType = rle ? 10 : 2;
            f.width = 150;
            f.height = 5;
            f.descriptor = descriptor;
            f.pixels = FileOrder(pattern, descriptor, Store24);
            if (rle) f.pixels = RunLength(f.pixels, 3);
            const Bytes file = f.Build();
            const DecodedPicture d = Decode(file);
            ASSERT_EQ(d.error, "");
            EXPECT_TRUE(SamePixels(d.picture, pattern));
            WriteBytes(dir / "o.tga", file);
            ASSERT_TRUE(RunTool(PillowToPpm(dir / "o.tga", dir / "o.ppm")));
            EXPECT_TRUE(SamePictures(ReadPpm(dir / "o.ppm"), pattern));
        }
    }
}

TEST(TgaDecode, FiveBitColoursAndMapsWithAFirstIndexMatchNetpbm) {
    ScratchDir dir;
    const Picture pattern = IndexedPattern(11, 6, 24);
    const ColourList list(pattern);
    const std::vector<Bgr>& colours = list.colours;
    auto five = [](Bgr c) {
        return static_cast<unsigned>(c.b >> 3 | (c.g >> 3) << 5 | (c.r >> 3) << 10);
    };
    auto store16 = [&](Bytes& out, Bgr c) {
        const unsigned v = five(c) | 0x8000;  // the attribute bit must not leak into red
        out.insert(out.end(), {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
    };

    struct Case {
        std::string name;
        TgaFile file;
    };
    std::vector<Case> cases;
    for (std::uint8_t bits : {15, 16}) {
        TgaFile f;
        f.imageType = 2;
        f.width = 11;
        f.height = 6;
        f.pixelBits = bits;
        f.pixels = FileOrder(pattern, 0, store16);
        cases.push_back({"type 2 of " + std::to_string(bits) + " bits", f});
        f.imageType = 10;
        f.pixels = RunLength(f.pixels, 2);
        cases.push_back({"type 10 of " + std::to_string(bits) + " bits", f});
    }
    // A 15-bit map whose first entry is 20, with an ID field before it: indices run 20 to 43.
    TgaFile mapped;
    mapped.mapType = 1;
    mapped.imageType = 9;
    mapped.mapFirst = 20;
    mapped.mapLength = static_cast<std::uint16_t>(colours.size());
    mapped.mapBits = 15;
    mapped.width = 11;
    mapped.height = 6;
    mapped.pixelBits = 8;
    mapped.id = Bytes(200, 'i');
    for (const Bgr& c : colours) store16(mapped.map, c);
    const Bytes indices = FileOrder(pattern, 0, [&](Bytes& out, Bgr c) {
        out.push_back(static_cast<std::uint8_t>(20 + list.IndexOf(c)));
    });
    mapped.pixels = RunLength(indices, 1);
    cases.push_back({"type 9 with a 15-bit map from entry 20", mapped});
    mapped.imageType = 1;
    mapped.pixels = indices;
    cases.push_back({"type 1 with a 15-bit map from entry 20", mapped});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes file = c.file.Build();
        WriteBytes(dir / "f.tga", file);
        ASSERT_TRUE(RunTool(NetpbmToPpm(dir / "f.tga", dir / "ref.ppm")));
        const Picture reference = ReadPpm(dir / "ref.ppm");
        ASSERT_EQ(reference.width, 11);
        const DecodedPicture d = Decode(file);
        ASSERT_EQ(d.error, "");
        EXPECT_TRUE(SamePixels(d.picture, reference));
    }
}

TEST(TgaDecode, WideIndicesAndMapsBeyond256EntriesComeAs24Bits) {
    const Picture pattern = IndexedPattern(9, 4, 30);
    const ColourList list(pattern);
    const std::vector<Bgr>& colours = list.colours;
    auto indexOf = [&](Bgr c) { return list.IndexOf(c); };

    // 8-bit indices 250..279 would not fit a 256-entry table; 16-bit indices from 1000; a
    // 32-bit map whose alpha is dropped.
    for (unsigned first : {250u, 1000u}) {
        SCOPED_TRACE(first);
        TgaFile f;
        f.mapType = 1;
        f.imageType = 1;
        f.mapFirst = static_cast<std::uint16_t>(first);
        f.mapLength = static_cast<std::uint16_t>(colours.size());
        f.mapBits = 32;
        f.width = 9;
        f.height = 4;
        f.pixelBits = first < 256 ? 8 : 16;
        f.descriptor = 0x20;
        for (const Bgr& c : colours) f.map.insert(f.map.end(), {c.b, c.g, c.r, 0x5A});
        if (first < 256) {
            // Only the indices up to 255 are usable with 8 bits; the map itself still reaches past.
            f.pixels = FileOrder(pattern, 0x20, [&](Bytes& out, Bgr c) {
                out.push_back(static_cast<std::uint8_t>(first + indexOf(c) % 6));
            });
        } else {
            f.pixels = FileOrder(pattern, 0x20, [&](Bytes& out, Bgr c) {
                const unsigned v = first + indexOf(c);
                out.insert(out.end(),
                           {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
            });
        }
        const DecodedPicture d = Decode(f.Build());
        ASSERT_EQ(d.error, "");
        EXPECT_EQ(d.picture.BitsPerPixel(), 24);
        const Picture expected =
            first < 256
                ? MakePicture(9, 4,
                              [&](int x, int y) { return colours[indexOf(pattern.At(x, y)) % 6]; })
                : pattern;
        EXPECT_TRUE(SamePixels(d.picture, expected));
    }
}

TEST(TgaDecode, AColourMapInATrueColourFileIsSkipped) {
    const Picture pattern = TrueColourPattern(3, 2);
    TgaFile f;
    f.mapType = 1;
    f.mapLength = 5;
    f.mapBits = 24;
    f.map = Bytes(15, 0xEE);
    f.width = 3;
    f.height = 2;
    f.pixels = FileOrder(pattern, 0, Store24);
    const DecodedPicture d = Decode(f.Build());
    ASSERT_EQ(d.error, "");
    EXPECT_TRUE(SamePixels(d.picture, pattern));
}

TEST(TgaEncode, WrittenFilesOpenInOurReaderPillowAndNetpbm) {
    ScratchDir dir;
    for (int width : {1, 4, 13}) {
        SCOPED_TRACE(width);
        const Picture pattern = TrueColourPattern(width, 6);
        Bytes file = {0xAB};  // the encoder appends
        ASSERT_EQ(EncodeTga(PacketOf(pattern), file), "");
        ASSERT_EQ(file[0], 0xAB);
        file.erase(file.begin());
        // Uncompressed true colour, origin at the bottom left, exactly header plus pixels.
        EXPECT_EQ(file[2], 2);
        EXPECT_EQ(file[16], 24);
        EXPECT_EQ(file[17] & 0x30, 0);
        EXPECT_EQ(file.size(), 18u + 3u * width * 6);

        const DecodedPicture d = Decode(file);
        ASSERT_EQ(d.error, "");
        EXPECT_TRUE(SamePixels(d.picture, pattern));
        WriteBytes(dir / "w.tga", file);
        ASSERT_TRUE(RunTool(PillowToPpm(dir / "w.tga", dir / "pil.ppm")));
        EXPECT_TRUE(SamePictures(ReadPpm(dir / "pil.ppm"), pattern));
        ASSERT_TRUE(RunTool(NetpbmToPpm(dir / "w.tga", dir / "pbm.ppm")));
        EXPECT_TRUE(SamePictures(ReadPpm(dir / "pbm.ppm"), pattern));
    }
}

TEST(TgaEncode, TopDownPacketsAreWrittenTheRightWayUp) {
    const Picture pattern = TrueColourPattern(5, 4);
    PicturePacket bottomUp = PacketOf(pattern);
    PicturePacket topDown = bottomUp;
    topDown.SetU32(8, static_cast<std::uint32_t>(-4));
    const std::size_t stride = RowStride24(5);
    for (int r = 0; r < 4; ++r)
        std::copy_n(bottomUp.data() + 40 + (3 - r) * stride, stride,
                    topDown.data() + 40 + r * stride);
    Bytes a, b;
    ASSERT_EQ(EncodeTga(bottomUp, a), "");
    ASSERT_EQ(EncodeTga(topDown, b), "");
    EXPECT_EQ(a, b);
}

// Both encoders share the packet checks; each has its own size limit.
TEST(TgaPcxEncode, RefuseWhatIsNotAWhole24BitPicture) {
    PicturePacket eight = MakePicturePacket(4, 4, nullptr);
    eight.SetU16(14, 8);
    PicturePacket compressed = MakePicturePacket(4, 4, nullptr);
    compressed.SetU32(16, 1);
    PicturePacket cut = MakePicturePacket(4, 4, nullptr);
    cut = PicturePacket(Bytes(cut.block().begin(), cut.block().end() - 1));
    PicturePacket zeroWidth = MakePicturePacket(0, 4, nullptr);
    PicturePacket zeroHeight = MakePicturePacket(4, 0, nullptr);
    PicturePacket hugeHeight = MakePicturePacket(4, 1, nullptr);
    hugeHeight.SetU32(8, 0x80000000u);
    const PicturePacket tgaTooWide = MakePicturePacket(65536, 1, nullptr);
    const PicturePacket pcxTooWide = MakePicturePacket(65535, 1, nullptr);
    using Encoder = std::string (*)(const PicturePacket&, Bytes&);
    for (Encoder encode : {Encoder{EncodeTga}, Encoder{EncodePcx}}) {
        const PicturePacket* tooWide = encode == Encoder{EncodePcx} ? &pcxTooWide : &tgaTooWide;
        for (const PicturePacket* p : std::initializer_list<const PicturePacket*>{
                 &eight, &compressed, &cut, &zeroWidth, &zeroHeight, &hugeHeight, tooWide}) {
            Bytes out = {1, 2};
            EXPECT_NE(encode(*p, out), "");
            EXPECT_EQ(out, (Bytes{1, 2}));  // nothing appended on failure
        }
        Bytes out;
        EXPECT_NE(encode(PicturePacket(), out), "");
        EXPECT_TRUE(out.empty());
    }
}

Bytes Header(std::function<void(TgaFile&)> edit) {
    TgaFile f;
    f.width = 2;
    f.height = 2;
    f.pixels = Bytes(12, 7);
    edit(f);
    return f.Build();
}

TEST(TgaDecode, BadFilesFailWithATextAndNoPicture) {
    std::vector<BadCase> cases = {
        {"empty", {}, "This TGA file is too short to hold its header"},
        {"one byte", {0}, "This TGA file is too short to hold its header"},
        {"colour map type 2", Header([](TgaFile& f) { f.mapType = 2; }),
         "TGA colour map type 2 is not supported"},
        {"colour map type 255", Header([](TgaFile& f) { f.mapType = 255; }),
         "TGA colour map type 255 is not supported"},
        {"no picture", Header([](TgaFile& f) { f.imageType = 0; }),
         "This TGA file holds no picture"},
        {"compressed colour map type 32", Header([](TgaFile& f) { f.imageType = 32; }),
         "TGA image type 32 is not supported"},
        // The run-length forms are 9 to 11 only: neither 8 nor 12 is one.
        {"run-length no picture", Header([](TgaFile& f) { f.imageType = 8; }),
         "TGA image type 8 is not supported"},
        {"run-length type 4", Header([](TgaFile& f) { f.imageType = 12; }),
         "TGA image type 12 is not supported"},
        {"zero width", Header([](TgaFile& f) { f.width = 0; }), "This TGA picture has no pixels"},
        {"zero height", Header([](TgaFile& f) { f.height = 0; }), "This TGA picture has no pixels"},
        {"12-bit pixels", Header([](TgaFile& f) { f.pixelBits = 12; }),
         "TGA pixels of 12 bits are not supported in image type 2"},
        {"8-bit true colour", Header([](TgaFile& f) { f.pixelBits = 8; }),
         "TGA pixels of 8 bits are not supported in image type 2"},
        {"24-bit grey", Header([](TgaFile& f) { f.imageType = 3; }),
         "TGA pixels of 24 bits are not supported in image type 3"},
        {"mapped without a map", Header([](TgaFile& f) {
             f.imageType = 1;
             f.pixelBits = 8;
         }),
         "This colour-mapped TGA picture has no colour map"},
        {"mapped with an empty map", Header([](TgaFile& f) {
             f.imageType = 1;
             f.mapType = 1;
             f.mapBits = 24;
             f.pixelBits = 8;
         }),
         "This colour-mapped TGA picture has no colour map"},
        {"map entries of 8 bits", Header([](TgaFile& f) {
             f.imageType = 1;
             f.mapType = 1;
             f.mapLength = 4;
             f.mapBits = 8;
             f.pixelBits = 8;
             f.map = Bytes(4);
         }),
         "TGA colour map entries of 8 bits are not supported"},
        {"65535 x 65535", Header([](TgaFile& f) {
             f.width = 65535;
             f.height = 65535;
         }),
         kTooLargeMessage},
        {"huge raw picture, few bytes", Header([](TgaFile& f) {
             f.width = 60000;
             f.height = 4000;
         }),
         "TGA pixel data is cut short"},
        {"huge run-length picture, few bytes", Header([](TgaFile& f) {
             f.imageType = 10;
             f.width = 60000;
             f.height = 4000;
         }),
         "TGA pixel data is cut short"},
        {"ID field past the end",
         [] {
             Bytes b = Header([](TgaFile& f) { f.pixels.clear(); });
             b[0] = 40;
             return b;
         }(),
         "This TGA file is cut short in its ID field"},
        {"colour map past the end", Header([](TgaFile& f) {
             f.imageType = 1;
             f.mapType = 1;
             f.mapLength = 300;
             f.mapBits = 24;
             f.pixelBits = 8;
             f.map = Bytes(30);
             f.pixels.clear();
         }),
         "This TGA file is cut short in its colour map"},
        {"run past the picture", Header([](TgaFile& f) {
             f.imageType = 10;
             f.pixels = {0x84, 1, 2, 3};
         }),
         "A TGA run-length packet runs past the end of the picture"},
        {"raw packet past the picture", Header([](TgaFile& f) {
             f.imageType = 10;
             f.pixels = Bytes(16, 0);
             f.pixels[0] = 0x04;
         }),
         "A TGA run-length packet runs past the end of the picture"},
        {"raw packet cut short", Header([](TgaFile& f) {
             f.imageType = 10;
             f.pixels = {0x03, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
         }),
         "TGA pixel data is cut short"},
        {"run-length data ends early", Header([](TgaFile& f) {
             f.imageType = 10;
             f.pixels = {0x82, 1, 2, 3};
         }),
         "TGA pixel data is cut short"},
        {"index past the map", Header([](TgaFile& f) {
             f.imageType = 1;
             f.mapType = 1;
             f.mapLength = 3;
             f.mapBits = 24;
             f.pixelBits = 8;
             f.map = Bytes(9);
             f.pixels = {0, 1, 2, 3};
         }),
         "TGA colour index 3 lies outside the colour map"},
        {"index below the first entry", Header([](TgaFile& f) {
             f.imageType = 9;
             f.mapType = 1;
             f.mapFirst = 5;
             f.mapLength = 3;
             f.mapBits = 16;
             f.pixelBits = 8;
             f.map = Bytes(6);
             f.pixels = {0x81, 5, 0x81, 4};
         }),
         "TGA colour index 4 lies outside the colour map"},
        {"wide index past a long map", Header([](TgaFile& f) {
             f.imageType = 1;
             f.mapType = 1;
             f.mapLength = 300;
             f.mapBits = 24;
             f.pixelBits = 16;
             f.map = Bytes(900);
             f.pixels = {0, 0, 1, 0, 43, 1, 44, 1};
         }),
         "TGA colour index 300 lies outside the colour map"},
    };

    // Every prefix of sound files fails: raw, run-length and colour-mapped.
    const Picture pattern = IndexedPattern(7, 3, 5);
    TgaFile raw;
    raw.width = 7;
    raw.height = 3;
    raw.pixels = FileOrder(pattern, 0, Store24);
    TgaFile runs = raw;
    runs.imageType = 10;
    runs.pixels = RunLength(raw.pixels, 3);
    TgaFile mapped = raw;
    mapped.imageType = 9;
    mapped.mapType = 1;
    mapped.mapLength = 5;
    mapped.mapBits = 24;
    mapped.pixelBits = 8;
    mapped.map = Bytes(15, 9);
    mapped.pixels = RunLength(Bytes(21, 4), 1);
    mapped.id = {'x', 'y'};
    for (const TgaFile* f : {&raw, &runs, &mapped}) {
        const Bytes whole = f->Build();
        ASSERT_EQ(Decode(whole).error, "");
        AddPrefixes(cases, whole);
    }

    ExpectEachFails(cases, DecodeTga);
}

}  // namespace
}  // namespace wendral
