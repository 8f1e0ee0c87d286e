#pragma once
// Helpers for the codec tests: pictures as plain top-down RGB, files in a scratch folder, and
// the independent programs (ImageMagick, netpbm, Pillow) that make and read the test files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/picture_packet.h"

namespace wendral::testing {

struct Rgb {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> bytes;  // top-down rows, red, green, blue, no padding
    std::uint8_t* At(int x, int y) {
        return bytes.data() + 3 * (static_cast<std::size_t>(y) * width + x);
    }
};

inline constexpr const char* kPython = "/usr/bin/python3";
inline constexpr const char* kConvert = "/usr/bin/convert";

inline bool HaveProgram(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

inline bool HavePillow() {
    static const bool have = HaveProgram(kPython) &&
                             std::system("/usr/bin/python3 -c 'import PIL' >/dev/null 2>&1") == 0;
    return have;
}

inline int RunQuietly(const std::string& command) {
    return std::system(("( " + command + " ) >/dev/null 2>&1").c_str());
}

class ScratchFolder {
  public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "wendral-codec-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Grey pictures (every pixel with r = g = b) are written as PGM so the tools keep them grey.
inline void WritePnm(const std::string& path, const Rgb& picture, bool grey) {
    std::ofstream out(path, std::ios::binary);
    out << (grey ? "P5\n" : "P6\n") << picture.width << " " << picture.height << "\n255\n";
    for (std::size_t i = 0; i < picture.bytes.size(); i += grey ? 3 : 1)
        out.put(static_cast<char>(picture.bytes[i]));
}

// Reads a binary PPM or PGM with maxval 255, as the tools write it.
inline Rgb ReadPnm(const std::vector<std::uint8_t>& file) {
    Rgb picture;
    std::string text(file.begin(), file.end());
    std::istringstream in(text);
    std::string magic;
    int maxval = 0;
    in >> magic >> picture.width >> picture.height >> maxval;
    in.get();
    const bool grey = magic == "P5";
    if ((magic != "P6" && !grey) || maxval != 255 || picture.width <= 0 || picture.height <= 0)
        return {};
    const std::size_t start = static_cast<std::size_t>(in.tellg());
    const std::size_t pixels = static_cast<std::size_t>(picture.width) * picture.height;
    if (file.size() < start + pixels * (grey ? 1 : 3)) return {};
    picture.bytes.resize(pixels * 3);
    for (std::size_t i = 0; i < pixels; ++i)
        for (int k = 0; k < 3; ++k) picture.bytes[3 * i + k] = file[start + (grey ? i : 3 * i + k)];
    return picture;
}

// What Pillow says the pixels of a file are, alpha dropped, optionally after applying the
// file's orientation tag.
inline Rgb PillowPixels(const std::string& file, const std::string& scratchPpm,
                        bool applyOrientation = false) {
    const std::string command =
        std::string(kPython) +
        " -c \"import sys; from PIL import Image, ImageOps; im = Image.open(sys.argv[1]); " +
        (applyOrientation ? "im = ImageOps.exif_transpose(im); " : "") +
        "im.convert('RGBA').convert('RGB').save(sys.argv[2])\" '" + file + "' '" + scratchPpm + "'";
    if (RunQuietly(command) != 0) return {};
    return ReadPnm(ReadBytes(scratchPpm));
}

// Our decoded packet (8 bits with a table, or 24 bits, rows bottom-up) as top-down RGB.
inline Rgb PacketToRgb(const PicturePacket& packet) {
    Rgb picture;
    picture.width = packet.Width();
    picture.height = packet.Height();
    const int bits = packet.BitsPerPixel();
    if (picture.width <= 0 || picture.height <= 0 || (bits != 8 && bits != 24)) return {};
    const std::size_t stride = (static_cast<std::size_t>(picture.width) * (bits / 8) + 3) / 4 * 4;
    const std::size_t start = packet.PixelBitsOffset();
    if (packet.size() < start + stride * picture.height) return {};
    picture.bytes.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint8_t* row = packet.data() + start + stride * (picture.height - 1 - y);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* bgr =
                bits == 24 ? row + 3 * x : packet.data() + packet.HeaderSize() + 4 * row[x];
            std::uint8_t* out = picture.At(x, y);
            out[0] = bgr[2];
            out[1] = bgr[1];
            out[2] = bgr[0];
        }
    }
    return picture;
}

// A picture of random colours drawn from `colours` distinct ones (0: any colour); grey ones use
// only the levels k * 255 / (levels - 1).
inline Rgb RandomPicture(int width, int height, unsigned seed, int colours = 0, bool grey = false) {
    std::mt19937 random(seed);
    std::vector<std::uint32_t> table;
    for (int i = 0; i < colours; ++i) {
        std::uint32_t c;
        do {
            c = grey ? (static_cast<std::uint32_t>(i * 255 / (colours - 1)) * 0x010101u)
                     : (random() & 0xFFFFFFu);
        } while (!grey && std::find(table.begin(), table.end(), c) != table.end());
        table.push_back(c);
    }
    Rgb picture{width, height,
                std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
    for (std::size_t i = 0; i < picture.bytes.size(); i += 3) {
        std::uint32_t c = colours ? table[random() % table.size()] : (random() & 0xFFFFFFu);
        if (grey && !colours) c = (c & 0xFF) * 0x010101u;
        picture.bytes[i] = static_cast<std::uint8_t>(c >> 16);
        picture.bytes[i + 1] = static_cast<std::uint8_t>(c >> 8);
        picture.bytes[i + 2] = static_cast<std::uint8_t>(c);
    }
    return picture;
}

// A 24-bit packet of the picture, as the destination hands it to the encoders.
inline PicturePacket RgbToPacket(const Rgb& picture) {
    PicturePacket packet = MakePicturePacket(picture.width, picture.height, nullptr);
    const std::size_t stride = RowStride24(picture.width);
    for (int y = 0; y < picture.height; ++y)
        for (int x = 0; x < picture.width; ++x) {
            std::uint8_t* out = packet.data() + 40 + stride * (picture.height - 1 - y) + 3 * x;
            const std::uint8_t* in =
                picture.bytes.data() + 3 * (static_cast<std::size_t>(y) * picture.width + x);
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    return packet;
}

// The largest difference of any channel, or -1 when the sizes differ.
inline int LargestDifference(const Rgb& a, const Rgb& b) {
    if (a.width != b.width || a.height != b.height || a.bytes.size() != b.bytes.size() ||
        a.bytes.empty())
        return -1;
    int worst = 0;
    for (std::size_t i = 0; i < a.bytes.size(); ++i)
        worst = std::max(worst, std::abs(a.bytes[i] - b.bytes[i]));
    return worst;
}

}  // namespace wendral::testing
