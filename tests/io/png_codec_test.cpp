#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "core/limits.h"
#include "io/codec.h"
#include "tests/io/codec_test_support.h"

namespace wendral::testing {
namespace {

struct PngHeader {
    int depth = -1, colourType = -1, interlace = -1;
    bool transparency = false;
};

PngHeader ReadPngHeader(const std::vector<std::uint8_t>& file) {
    PngHeader h;
    if (file.size() < 29) return h;
    h.depth = file[24];
    h.colourType = file[25];
    h.interlace = file[28];
    const char trns[] = "tRNS";
    h.transparency = std::search(file.begin(), file.end(), trns, trns + 4) != file.end();
    return h;
}

std::uint32_t Crc32(const std::uint8_t* p, std::size_t n) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
};

std::vector<Chunk> SplitChunks(const std::vector<std::uint8_t>& file) {
    std::vector<Chunk> chunks;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const std::size_t length =
            std::size_t{file[at]} << 24 | file[at + 1] << 16 | file[at + 2] << 8 | file[at + 3];
        chunks.push_back(
            {std::string(file.begin() + at + 4, file.begin() + at + 8),
             std::vector<std::uint8_t>(file.begin() + at + 8, file.begin() + at + 8 + length)});
        at += 12 + length;
    }
    return chunks;
}

// A PNG made of these chunks, each with its correct CRC, so that only the damage meant is there.
std::vector<std::uint8_t> JoinChunks(const std::vector<Chunk>& chunks) {
    std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Chunk& c : chunks) {
        const auto n = static_cast<std::uint32_t>(c.data.size());
        for (int s = 24; s >= 0; s -= 8) file.push_back(static_cast<std::uint8_t>(n >> s));
        const std::size_t typeAt = file.size();
        file.insert(file.end(), c.type.begin(), c.type.end());
        file.insert(file.end(), c.data.begin(), c.data.end());
        const std::uint32_t crc = Crc32(file.data() + typeAt, 4 + c.data.size());
        for (int s = 24; s >= 0; s -= 8) file.push_back(static_cast<std::uint8_t>(crc >> s));
    }
    return file;
}

void PutBigEndian(std::vector<std::uint8_t>& d, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) d[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

std::vector<std::uint8_t> EncodeToPng(const Rgb& picture) {
    std::vector<std::uint8_t> file;
    EXPECT_EQ(EncodePng(RgbToPacket(picture), file), "");
    return file;
}

struct PngVariant {
    const char* name;
    int colours;  // 0: any colour
    bool grey;
    const char* command;  // IN and OUT stand for the pattern file and the PNG made from it
    int depth, colourType, interlace;
    bool transparency;
};

// Pillow adds an alpha channel of random values to the pattern.
#define WITH_ALPHA(mode)                                                                           \
    "/usr/bin/python3 -c \"import sys, random; from PIL import Image; random.seed(5); "            \
    "im = Image.open(sys.argv[1]).convert('" mode                                                  \
    "'); a = Image.new('L', im.size); "                                                            \
    "a.putdata([random.randrange(256) for _ in range(im.size[0] * im.size[1])]); im.putalpha(a); " \
    "im.save(sys.argv[2])\" IN"

const PngVariant kPngVariants[] = {
    {"palette 1-bit", 2, false, "pnmtopng IN > OUT", 1, 3, 0, false},
    {"palette 2-bit", 4, false, "pnmtopng IN > OUT", 2, 3, 0, false},
    {"palette 4-bit", 16, false, "pnmtopng IN > OUT", 4, 3, 0, false},
    {"palette 8-bit", 200, false, "pnmtopng IN > OUT", 8, 3, 0, false},
    {"palette 8-bit, second program", 100, false, "/usr/bin/convert IN PNG8:OUT", 8, 3, 0, false},
    {"palette interlaced", 16, false, "pnmtopng -interlace IN > OUT", 4, 3, 1, false},
    {"palette with tRNS", 16, false, "pnmtopng -transparent =FIRST IN > OUT", 4, 3, 0, true},
    {"grey 1-bit", 2, true, "pnmtopng IN > OUT", 1, 0, 0, false},
    {"grey 2-bit", 4, true, "pnmtopng IN > OUT", 2, 0, 0, false},
    {"grey 4-bit", 16, true, "pnmtopng IN > OUT", 4, 0, 0, false},
    {"grey 8-bit", 0, true, "pnmtopng IN > OUT", 8, 0, 0, false},
    {"grey 1-bit interlaced", 2, true, "pnmtopng -interlace IN > OUT", 1, 0, 1, false},
    {"grey 16-bit", 0, true,
     "/usr/bin/convert IN -depth 16 -define png:bit-depth=16 -define png:color-type=0 OUT", 16, 0,
     0, false},
    {"grey with tRNS", 0, true, "pnmtopng -transparent =FIRST IN > OUT", 8, 0, 0, true},
    {"grey and alpha", 0, true, WITH_ALPHA("L") " OUT", 8, 4, 0, false},
    {"grey and alpha 16-bit", 0, true,
     WITH_ALPHA(
         "L") " OUT.la.png && /usr/bin/convert OUT.la.png -depth 16 -define png:bit-depth=16 "
              "-define png:color-type=4 OUT",
     16, 4, 0, false},
    {"RGB", 0, false, "pnmtopng IN > OUT", 8, 2, 0, false},
    {"RGB interlaced", 0, false, "pnmtopng -interlace IN > OUT", 8, 2, 1, false},
    {"RGB 16-bit", 0, false, "/usr/bin/convert IN -depth 16 PNG48:OUT", 16, 2, 0, false},
    {"RGB 16-bit interlaced", 0, false, "/usr/bin/convert IN -depth 16 -interlace PNG PNG48:OUT",
     16, 2, 1, false},
    {"RGB with tRNS", 0, false, "pnmtopng -transparent =FIRST IN > OUT", 8, 2, 0, true},
    {"RGBA", 0, false, WITH_ALPHA("RGB") " OUT", 8, 6, 0, false},
    {"RGBA 16-bit", 0, false,
     WITH_ALPHA("RGB") " OUT.rgba.png && /usr/bin/convert OUT.rgba.png -depth 16 PNG64:OUT", 16, 6,
     0, false},
};

// IN and OUT become the file names, FIRST the colour of the pattern's first pixel.
std::string Substitute(const std::string& command, const std::string& in, const std::string& out,
                       const Rgb& pattern) {
    std::string result;
    for (std::size_t at = 0; at < command.size();) {
        if (command.compare(at, 5, "FIRST") == 0) {
            char colour[32];
            std::snprintf(colour, sizeof colour, "rgb:%02x/%02x/%02x", pattern.bytes[0],
                          pattern.bytes[1], pattern.bytes[2]);
            result += colour;
            at += 5;
        } else if (command.compare(at, 2, "IN") == 0) {
            result += "'" + in + "'";
            at += 2;
        } else if (command.compare(at, 3, "OUT") == 0) {
            result += "'" + out;
            at += 3;
            // A suffix glued to OUT names a scratch file beside it.
            while (at < command.size() && command[at] != ' ') result += command[at++];
            result += "'";
        } else {
            result += command[at++];
        }
    }
    return result;
}

// Each variant is made from a known pattern by another program; alpha and transparency are
// dropped, 16-bit samples of value v * 257 come back as v, so the pattern is what must come out.
TEST(PngCodec, DecodesEveryVariantOtherProgramsWrite) {
    if (!HaveProgram("/usr/bin/pnmtopng") || !HaveProgram(kConvert) || !HavePillow())
        GTEST_SKIP() << "netpbm, ImageMagick or Pillow is missing";
    ScratchFolder folder;
    unsigned seed = 1;
    for (const PngVariant& v : kPngVariants) {
        SCOPED_TRACE(v.name);
        const Rgb pattern = RandomPicture(37, 23, seed++, v.colours, v.grey);
        const std::string in = folder / (v.grey ? "pattern.pgm" : "pattern.ppm");
        const std::string out = folder / "variant.png";
        std::filesystem::remove(out);
        WritePnm(in, pattern, v.grey);
        const std::string command = Substitute(v.command, in, out, pattern);
        ASSERT_EQ(RunQuietly(command), 0) << command;
        const std::vector<std::uint8_t> file = ReadBytes(out);
        ASSERT_FALSE(file.empty()) << command;
        const PngHeader header = ReadPngHeader(file);
        ASSERT_EQ(header.depth, v.depth);
        ASSERT_EQ(header.colourType, v.colourType);
        ASSERT_EQ(header.interlace, v.interlace);
        ASSERT_EQ(header.transparency, v.transparency);

        const DecodedPicture decoded = DecodePng(file.data(), file.size());
        ASSERT_EQ(decoded.error, "");
        // Palette and grey pictures keep a colour table; colour ones are 24-bit.
        EXPECT_EQ(decoded.picture.BitsPerPixel(), (v.colourType & 2) && v.colourType != 3 ? 24 : 8);
        EXPECT_EQ(decoded.picture.HeaderSize(), 40u);
        EXPECT_EQ(LargestDifference(PacketToRgb(decoded.picture), pattern), 0);
    }
}

TEST(PngCodec, EncodedFilesReadBackIdenticallyHereAndInOtherPrograms) {
    ScratchFolder folder;
    for (int width : {1, 37, 64}) {
        SCOPED_TRACE(width);
        const Rgb picture = RandomPicture(width, 19, 40u + static_cast<unsigned>(width));
        const std::vector<std::uint8_t> file = EncodeToPng(picture);
        const PngHeader header = ReadPngHeader(file);
        EXPECT_EQ(header.depth, 8);
        EXPECT_EQ(header.colourType, 2);
        EXPECT_EQ(header.interlace, 0);

        const DecodedPicture ours = DecodePng(file.data(), file.size());
        ASSERT_EQ(ours.error, "");
        EXPECT_EQ(LargestDifference(PacketToRgb(ours.picture), picture), 0);

        const std::string path = folder / "ours.png";
        WriteBytes(path, file);
        if (HavePillow()) {
            EXPECT_EQ(LargestDifference(PillowPixels(path, folder / "pillow.ppm"), picture), 0);
        }
        if (HaveProgram(kConvert)) {
            const std::string ppm = folder / "magick.ppm";
            ASSERT_EQ(RunQuietly(std::string(kConvert) + " '" + path + "' ppm:'" + ppm + "'"), 0);
            EXPECT_EQ(LargestDifference(ReadPnm(ReadBytes(ppm)), picture), 0);
        }
    }
}

TEST(PngCodec, EncoderAppendsAndRefusesWhatIsNotATwentyFourBitPicture) {
    const Rgb picture = RandomPicture(5, 3, 9);
    std::vector<std::uint8_t> out = {1, 2, 3};
    ASSERT_EQ(EncodePng(RgbToPacket(picture), out), "");
    ASSERT_GT(out.size(), 3u);
    EXPECT_EQ(std::vector<std::uint8_t>(out.begin(), out.begin() + 3),
              (std::vector<std::uint8_t>{1, 2, 3}));
    const DecodedPicture back = DecodePng(out.data() + 3, out.size() - 3);
    EXPECT_EQ(LargestDifference(PacketToRgb(back.picture), picture), 0);

    PicturePacket eightBit = RgbToPacket(picture);
    eightBit.SetU16(14, 8);
    std::vector<std::uint8_t> shortBlock = RgbToPacket(picture).block();
    shortBlock.pop_back();
    const PicturePacket cut(shortBlock);
    for (const PicturePacket* bad : std::initializer_list<const PicturePacket*>{&eightBit, &cut}) {
        std::vector<std::uint8_t> none;
        EXPECT_NE(EncodePng(*bad, none), "");
        EXPECT_TRUE(none.empty());
    }
    std::vector<std::uint8_t> none;
    EXPECT_NE(EncodePng(PicturePacket(), none), "");
}

TEST(PngCodec, ClaimedSizesBeyondTheLimitsOrTheDataFail) {
    const std::vector<std::uint8_t> good = EncodeToPng(RandomPicture(37, 23, 3));
    struct Case {
        std::uint32_t width, height;
        const char* error;
    };
    const Case cases[] = {
        {65536, 65536, kTooLargeMessage},
        {65535, 65535, kTooLargeMessage},
        {65536, 1, kTooLargeMessage},
        {16385, 16384, kTooLargeMessage},
        {0x7FFFFFFF, 1, kTooLargeMessage},
        // Allowed sizes whose data would need far more bytes than the file holds.
        {16000, 16000, "PNG file is truncated"},
        {200, 200, "PNG file is damaged"},
        {0, 23, "PNG file is damaged"},
        {37, 0, "PNG file is damaged"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height));
        std::vector<Chunk> chunks = SplitChunks(good);
        ASSERT_EQ(chunks[0].type, "IHDR");
        PutBigEndian(chunks[0].data, 0, c.width);
        PutBigEndian(chunks[0].data, 4, c.height);
        const std::vector<std::uint8_t> file = JoinChunks(chunks);
        const DecodedPicture d = DecodePng(file.data(), file.size());
        EXPECT_EQ(d.error, c.error);
        EXPECT_TRUE(d.picture.empty());
    }
}

TEST(PngCodec, EveryTruncationFailsAsTruncated) {
    const std::vector<std::uint8_t> good = EncodeToPng(RandomPicture(37, 23, 4));
    const std::size_t iend = good.size() - 12;
    for (std::size_t n = 1; n < iend; ++n) {
        const DecodedPicture d = DecodePng(good.data(), n);
        ASSERT_EQ(d.error, "PNG file is truncated") << n;
        ASSERT_TRUE(d.picture.empty());
    }
}

// Decodes in a child process whose address space has only `spareBytes` more than now, so that
// reading what a file merely claims to hold makes the decode fail for want of memory.
std::string DecodeWithLittleMemory(const std::vector<std::uint8_t>& file, std::size_t spareBytes) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::size_t pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%zu", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        const rlimit limit{pages * static_cast<std::size_t>(sysconf(_SC_PAGESIZE)) + spareBytes,
                           RLIM_INFINITY};
        if (pages == 0 || setrlimit(RLIMIT_AS, &limit) != 0) _exit(2);
        const std::string error = DecodePng(file.data(), file.size()).error;
        if (write(pipeEnds[1], error.data(), error.size()) < 0) _exit(3);
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string error;
    char buffer[256];
    for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        error.append(buffer, static_cast<std::size_t>(n));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? error : "child failed";
}

// A chunk ahead of the picture data claims nearly two gigabytes that the file does not hold:
// the decode must say so without first trying to set that much memory aside.
TEST(PngCodec, AChunkClaimingMoreThanTheFileHoldsFailsAsTruncated) {
    const std::vector<std::uint8_t> good = EncodeToPng(RandomPicture(5, 4, 8));
    for (const char* type : {"sPLT", "tEXt", "zTXt", "iCCP", "abcd", "PLTE"}) {
        SCOPED_TRACE(type);
        std::vector<std::uint8_t> file(good.begin(), good.begin() + 33);  // signature and IHDR
        file.insert(file.end(), {0x73, 0x73, 0x73, 0x73});
        file.insert(file.end(), type, type + 4);
        file.insert(file.end(), good.begin() + 33, good.end());
        const DecodedPicture d = DecodePng(file.data(), file.size());
        EXPECT_EQ(d.error, "PNG file is truncated");
        EXPECT_TRUE(d.picture.empty());
#ifndef __SANITIZE_ADDRESS__  // the sanitizer reserves more address space than any limit allows
        EXPECT_EQ(DecodeWithLittleMemory(file, std::size_t{256} << 20), "PNG file is truncated");
#endif
    }
}

TEST(PngCodec, DamagedFilesFailWithATextAndNoPicture) {
    const Rgb colours = RandomPicture(37, 23, 6, 16);
    ScratchFolder folder;
    std::vector<std::uint8_t> palette;
    if (HaveProgram("/usr/bin/pnmtopng")) {
        WritePnm(folder / "p.ppm", colours, false);
        RunQuietly("pnmtopng '" + folder / "p.ppm" + "' > '" + folder / "p.png" + "'");
        palette = ReadBytes(folder / "p.png");
    }
    const std::vector<std::uint8_t> rgb = EncodeToPng(colours);
    auto edited = [](std::vector<std::uint8_t> file, auto edit) {
        std::vector<Chunk> chunks = SplitChunks(file);
        edit(chunks);
        return JoinChunks(chunks);
    };
    auto without = [](const char* type) {
        return [type](std::vector<Chunk>& chunks) {
            std::erase_if(chunks, [type](const Chunk& c) { return c.type == type; });
        };
    };
    struct Case {
        std::string name;
        std::vector<std::uint8_t> file;
        const char* error;
    };
    std::vector<std::uint8_t> badCrc = rgb;
    badCrc[29] ^= 1;  // last byte of the IHDR CRC
    std::vector<std::uint8_t> badZlib = rgb;
    for (std::size_t i = 41; i < 60 && i < badZlib.size(); ++i)
        badZlib[i] ^= 0x5A;  // inside the IDAT stream
    std::vector<Case> cases = {
        {"empty", {}, "Not a PNG file"},
        {"one byte of the signature", {0x89}, "PNG file is truncated"},
        {"one other byte", {'G'}, "Not a PNG file"},
        {"another format", {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0}, "Not a PNG file"},
        {"signature only", std::vector<std::uint8_t>(rgb.begin(), rgb.begin() + 8),
         "PNG file is truncated"},
        {"IHDR CRC wrong", badCrc, "PNG file is damaged"},
        {"image data scrambled", badZlib, "PNG file is damaged"},
        {"no image data", edited(rgb, without("IDAT")), "PNG file is damaged"},
        {"bit depth 3", edited(rgb, [](auto& c) { c[0].data[8] = 3; }), "PNG file is damaged"},
        {"colour type 5", edited(rgb, [](auto& c) { c[0].data[9] = 5; }), "PNG file is damaged"},
    };
    if (!palette.empty()) {
        cases.push_back(
            {"palette missing", edited(palette, without("PLTE")), "PNG file is damaged"});
        cases.push_back({"palette of 5 bytes",
                         edited(palette,
                                [](auto& c) {
                                    for (auto& k : c) {
                                        if (k.type == "PLTE") k.data.resize(5);
                                    }
                                }),
                         "PNG file is damaged"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedPicture d = DecodePng(c.file.data(), c.file.size());
        EXPECT_EQ(d.error, c.error);
        EXPECT_TRUE(d.picture.empty());
    }
}

// A palette shorter than the indices used is accepted: the missing entries read as black.
TEST(PngCodec, IndicesPastAShortPaletteReadAsBlack) {
    if (!HaveProgram("/usr/bin/pnmtopng")) GTEST_SKIP() << "netpbm is missing";
    ScratchFolder folder;
    const Rgb colours = RandomPicture(37, 23, 8, 16);
    WritePnm(folder / "p.ppm", colours, false);
    ASSERT_EQ(RunQuietly("pnmtopng '" + folder / "p.ppm" + "' > '" + folder / "p.png" + "'"), 0);
    std::vector<Chunk> chunks = SplitChunks(ReadBytes(folder / "p.png"));
    std::vector<std::uint8_t> kept;
    for (auto& c : chunks)
        if (c.type == "PLTE") {
            c.data.resize(3 * 4);
            kept = c.data;
        }
    const std::vector<std::uint8_t> file = JoinChunks(chunks);
    const DecodedPicture d = DecodePng(file.data(), file.size());
    ASSERT_EQ(d.error, "");
    ASSERT_EQ(d.picture.BitsPerPixel(), 8);
    const Rgb out = PacketToRgb(d.picture);
    int black = 0;
    for (std::size_t i = 0; i < out.bytes.size(); i += 3) {
        const std::uint8_t* p = &out.bytes[i];
        const bool inPalette = [&] {
            for (int k = 0; k < 4; ++k)
                if (std::memcmp(p, &kept[3 * k], 3) == 0) return true;
            return false;
        }();
        const bool isBlack = p[0] == 0 && p[1] == 0 && p[2] == 0;
        EXPECT_TRUE(inPalette || isBlack);
        black += isBlack && !inPalette;
    }
    EXPECT_GT(black, 0);
}

}  // namespace
}  // namespace wendral::testing
