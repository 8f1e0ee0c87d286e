#pragma once
// Test helpers for the TGA and PCX codecs: a scratch folder, the independent programs that make
// and read reference files, plain PPM files as the neutral exchange form, and pixel access to
// decoded packets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "core/picture_packet.h"
#include "core/pixel.h"
#include "io/codec.h"

namespace wendral::tgapcx {

using Bytes = std::vector<std::uint8_t>;

inline constexpr const char* kPython = "/usr/bin/python3";  // the interpreter that has Pillow

// A fresh folder per test, removed afterwards; tests run in parallel.
class ScratchDir {
  public:
    ScratchDir() {
        std::string templ =
            (std::filesystem::temp_directory_path() / "wendral-tga-pcx-XXXXXX").string();
        if (mkdtemp(templ.data()) != nullptr) path_ = templ;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Runs a shell command; true when it exits with 0.
inline bool RunTool(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

// A picture top row first, as the tools see it.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Bgr> pixels;
    Bgr At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

template <class F>
Picture MakePicture(int width, int height, F colourAt) {
    Picture p{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.pixels.push_back(colourAt(x, y));
    return p;
}

inline void WritePpm(const std::string& path, const Picture& p) {
    std::ostringstream s;
    s << "P6\n" << p.width << ' ' << p.height << "\n255\n";
    for (const Bgr& c : p.pixels)
        s << static_cast<char>(c.r) << static_cast<char>(c.g) << static_cast<char>(c.b);
    const std::string text = s.str();
    WriteBytes(path, Bytes(text.begin(), text.end()));
}

// Reads a binary PPM of maxval 255 (the tools' output); an empty picture when it is not one.
inline Picture ReadPpm(const std::string& path) {
    const Bytes b = ReadBytes(path);
    std::string text(b.begin(), b.end());
    std::istringstream s(text);
    std::string magic;
    int w = 0, h = 0, maxval = 0;
    s >> magic >> w >> h >> maxval;
    if (magic != "P6" || maxval != 255 || w <= 0 || h <= 0) return {};
    const std::size_t start = static_cast<std::size_t>(s.tellg()) + 1;
    if (b.size() < start + std::size_t(w) * h * 3) return {};
    Picture p{w, h, {}};
    for (std::size_t i = start; i < start + std::size_t(w) * h * 3; i += 3)
        p.pixels.push_back(Bgr{b[i + 2], b[i + 1], b[i]});
    return p;
}

// The colour at column x, row y from the top, of a decoded 8-bit or 24-bit packet.
inline Bgr PacketPixel(const PicturePacket& packet, int x, int y) {
    const int h = packet.Height();
    const std::size_t row = static_cast<std::size_t>(h - 1 - y);
    const std::uint8_t* bits = packet.data() + packet.PixelBitsOffset();
    if (packet.BitsPerPixel() == 8) {
        const std::size_t stride = (static_cast<std::size_t>(packet.Width()) + 3) & ~std::size_t{3};
        const std::uint8_t index = bits[row * stride + x];
        const std::uint8_t* e = packet.data() + packet.HeaderSize() + index * 4;
        return Bgr{e[0], e[1], e[2]};
    }
    const std::uint8_t* p = bits + row * RowStride24(packet.Width()) + 3 * x;
    return Bgr{p[0], p[1], p[2]};
}

// Checks the decoded packet's form (40-byte header, 8 or 24 bits, rows and table inside the
// block) and that every pixel matches.
inline ::testing::AssertionResult SamePixels(const PicturePacket& packet, const Picture& expected) {
    if (packet.empty()) return ::testing::AssertionFailure() << "no picture";
    if (packet.HeaderSize() != 40 || packet.Compression() != 0)
        return ::testing::AssertionFailure() << "not a plain bitmap header";
    if (packet.Width() != expected.width || packet.Height() != expected.height)
        return ::testing::AssertionFailure()
               << "size " << packet.Width() << " x " << packet.Height() << ", expected "
               << expected.width << " x " << expected.height;
    const unsigned bits = packet.BitsPerPixel();
    if (bits != 8 && bits != 24) return ::testing::AssertionFailure() << bits << " bits per pixel";
    if (bits == 8 && packet.ColoursUsed() != 256)
        return ::testing::AssertionFailure() << "colours used not 256";
    const std::size_t stride = bits == 8 ? (std::size_t(expected.width) + 3) & ~std::size_t{3}
                                         : RowStride24(expected.width);
    if (packet.PixelBitsOffset() + stride * expected.height != packet.size() ||
        packet.ImageSize() != stride * expected.height)
        return ::testing::AssertionFailure() << "rows do not fill the block";
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const Bgr got = PacketPixel(packet, x, y);
            const Bgr want = expected.At(x, y);
            if (!(got == want))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") is bgr " << int(got.b) << ','
                       << int(got.g) << ',' << int(got.r) << ", expected " << int(want.b) << ','
                       << int(want.g) << ',' << int(want.r);
        }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult SamePictures(const Picture& got, const Picture& want) {
    if (got.width != want.width || got.height != want.height)
        return ::testing::AssertionFailure() << "size " << got.width << " x " << got.height;
    for (int y = 0; y < want.height; ++y)
        for (int x = 0; x < want.width; ++x)
            if (!(got.At(x, y) == want.At(x, y)))
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ")";
    return ::testing::AssertionSuccess();
}

// A 24-bit packet of the picture, rows bottom-up.
inline PicturePacket PacketOf(const Picture& p) {
    PicturePacket packet = MakePicturePacket(p.width, p.height, nullptr);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            std::uint8_t* d =
                packet.data() + 40 + std::size_t(p.height - 1 - y) * RowStride24(p.width) + 3 * x;
            const Bgr c = p.At(x, y);
            d[0] = c.b;
            d[1] = c.g;
            d[2] = c.r;
        }
    return packet;
}

// A picture with `colours` distinct colours laid out so that any flip, transposition or shift
// shows: the colour index depends on x and y unevenly.
inline Picture IndexedPattern(int width, int height, int colours) {
    return MakePicture(width, height, [colours](int x, int y) {
        const int i = (x * 7 + y * y * 3 + x * y) % colours;
        return Bgr{static_cast<std::uint8_t>(i * 37 % 256),
                   static_cast<std::uint8_t>(255 - i * 11 % 256),
                   static_cast<std::uint8_t>(i * 89 % 256)};
    });
}

inline Picture GreyPattern(int width, int height) {
    return MakePicture(width, height, [](int x, int y) {
        const auto v = static_cast<std::uint8_t>(x * 29 + y * y * 5 + 3);
        return Bgr{v, v, v};
    });
}

// The distinct colours of a picture in order of first use, and the position of one of them.
struct ColourList {
    explicit ColourList(const Picture& p) {
        for (const Bgr& c : p.pixels)
            if (IndexOf(c) == colours.size()) colours.push_back(c);
    }
    unsigned IndexOf(Bgr c) const {
        return static_cast<unsigned>(std::find(colours.begin(), colours.end(), c) -
                                     colours.begin());
    }
    std::vector<Bgr> colours;
};

// Pillow reads `in` and writes it as a 24-bit PPM.
inline std::string PillowToPpm(const std::string& in, const std::string& out) {
    return std::string(kPython) +
           " -c \"import sys; from PIL import Image; "
           "Image.open(sys.argv[1]).convert('RGB').save(sys.argv[2])\" " +
           in + " " + out;
}

// Pillow saving the PPM `in` in `format` and `mode`, with extra save arguments. Mode P builds an
// exact palette of the picture's own colours; RGBA and LA get a varying alpha.
inline std::string PillowSave(const std::string& in, const std::string& out,
                              const std::string& format, const std::string& mode,
                              const std::string& args = "") {
    const std::string script =
        "import sys\n"
        "from PIL import Image\n"
        "im = Image.open(sys.argv[1]).convert('RGB')\n"
        "mode = sys.argv[3]\n"
        "if mode == 'P':\n"
        "    cols = sorted(set(im.getdata()))\n"
        "    idx = {c: i for i, c in enumerate(cols)}\n"
        "    p = Image.new('P', im.size)\n"
        "    p.putpalette([v for c in cols for v in c])\n"
        "    p.putdata([idx[c] for c in im.getdata()])\n"
        "    im = p\n"
        "else:\n"
        "    im = im.convert(mode)\n"
        "if mode in ('RGBA', 'LA'):\n"
        "    im.putalpha(Image.linear_gradient('L').resize(im.size))\n"
        "im.save(sys.argv[2], format='" +
        format + "'" + args + ")\n";
    return std::string(kPython) + " -c \"" + script + "\" " + in + " " + out + " " + mode;
}

// A damaged file for a decoder and the text it must fail with.
struct BadCase {
    std::string name;
    Bytes file;
    std::string error;  // empty: any text will do
};

// Every proper prefix of a sound file, as cases that must fail with some text.
inline void AddPrefixes(std::vector<BadCase>& cases, const Bytes& whole) {
    for (std::size_t n = 0; n < whole.size(); ++n)
        cases.push_back({"prefix of " + std::to_string(n) + " of " + std::to_string(whole.size()),
                         Bytes(whole.begin(), whole.begin() + n), ""});
}

// Each case decodes to no picture and to its text, or to some text when it names none.
inline void ExpectEachFails(const std::vector<BadCase>& cases,
                            DecodedPicture (*decode)(const std::uint8_t*, std::size_t)) {
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedPicture d = decode(c.file.data(), c.file.size());
        EXPECT_TRUE(d.picture.empty());
        if (c.error.empty())
            EXPECT_NE(d.error, "");
        else
            EXPECT_EQ(d.error, c.error);
    }
}

inline Picture TrueColourPattern(int width, int height) {
    return MakePicture(width, height, [](int x, int y) {
        return Bgr{static_cast<std::uint8_t>(x * 19 + y * 3), static_cast<std::uint8_t>(x * y + 7),
                   static_cast<std::uint8_t>(255 - x * 5 - y * 23)};
    });
}

}  // namespace wendral::tgapcx
