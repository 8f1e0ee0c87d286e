// Seeds for the PNG and TIFF readers: small files of our own encoders at awkward widths, plus
// hand-made variants the encoders do not write (palette and grey PNG, an interlaced PNG, grey,
// tiled and LZW-less TIFF layouts).
#include <string>
#include <vector>

#include "core/picture_packet.h"
#include "io/codec.h"
#include "tests/fuzz/seeds.h"

namespace wendral::fuzz {
namespace {

PicturePacket Pattern(int width, int height) {
    PicturePacket p = MakePicturePacket(width, height, nullptr);
    for (std::size_t i = PicturePacket::kHeaderSize; i < p.size(); ++i)
        p.data()[i] = static_cast<std::uint8_t>(i * 7 + i / 5);
    return p;
}

template <typename Encode>
std::vector<Seed> Encoded(const char* extension, Encode encode) {
    std::vector<Seed> seeds;
    const int sizes[][2] = {{1, 1}, {3, 2}, {5, 7}, {16, 16}, {33, 9}};
    for (const auto& s : sizes) {
        std::vector<std::uint8_t> bytes;
        if (encode(Pattern(s[0], s[1]), bytes).empty())
            seeds.emplace_back(
                "ours_" + std::to_string(s[0]) + "x" + std::to_string(s[1]) + extension, bytes);
    }
    return seeds;
}

std::uint32_t Crc32(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void PutBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<std::uint8_t>(v >> s));
}

void AddChunk(std::vector<std::uint8_t>& png, const char* type,
              const std::vector<std::uint8_t>& data) {
    PutBig32(png, static_cast<std::uint32_t>(data.size()));
    const std::size_t from = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), data.begin(), data.end());
    PutBig32(png, Crc32(png, from));
}

// A zlib stream of one stored block: no compressor needed for a few bytes.
std::vector<std::uint8_t> StoredZlib(const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> z = {0x78, 0x01, 0x01};
    const auto n = static_cast<std::uint16_t>(raw.size());
    z.insert(z.end(), {static_cast<std::uint8_t>(n), static_cast<std::uint8_t>(n >> 8),
                       static_cast<std::uint8_t>(~n), static_cast<std::uint8_t>(~n >> 8)});
    z.insert(z.end(), raw.begin(), raw.end());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(z, b << 16 | a);
    return z;
}

std::vector<std::uint8_t> HandMadePng(
    std::uint32_t w, std::uint32_t h, std::uint8_t depth, std::uint8_t colourType,
    std::uint8_t interlace,
    const std::vector<std::pair<const char*, std::vector<std::uint8_t>>>& extra,
    const std::vector<std::uint8_t>& raw) {
    std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    PutBig32(ihdr, w);
    PutBig32(ihdr, h);
    ihdr.insert(ihdr.end(), {depth, colourType, 0, 0, interlace});
    AddChunk(png, "IHDR", ihdr);
    for (const auto& [type, data] : extra) AddChunk(png, type, data);
    AddChunk(png, "IDAT", StoredZlib(raw));
    AddChunk(png, "IEND", {});
    return png;
}

// A 4 x 3 uncompressed grey TIFF with its strip right after the header.
std::vector<std::uint8_t> GreyTiff() {
    std::vector<std::uint8_t> f = {'I', 'I', 42, 0, 20, 0, 0, 0};
    for (int i = 0; i < 12; ++i) f.push_back(static_cast<std::uint8_t>(i * 21));
    const std::uint16_t tags[][3] = {{256, 4, 4}, {257, 4, 3}, {258, 3, 8},
                                     {259, 3, 1}, {262, 3, 1}, {273, 4, 8},
                                     {277, 3, 1}, {278, 4, 3}, {279, 4, 12}};
    auto put = [&f](std::uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) f.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    put(9, 2);
    for (const auto& t : tags) {
        put(t[0], 2);
        put(t[1], 2);
        put(1, 4);
        put(t[2], 4);
    }
    put(0, 4);
    return f;
}

}  // namespace

static const SeedRegistrar kPngSeeds("fuzz_png", [] {
    std::vector<Seed> seeds = Encoded(".png", EncodePng);
    seeds.emplace_back("palette_1bit_trns.png",
                       HandMadePng(2, 2, 1, 3, 0, {{"PLTE", {255, 0, 0, 0, 0, 255}}, {"tRNS", {0}}},
                                   {0, 0x80, 0, 0x40}));
    seeds.emplace_back("grey_alpha_16bit_interlaced.png",
                       HandMadePng(1, 1, 16, 4, 1, {}, {0, 1, 2, 3, 4}));
    seeds.emplace_back("rgba.png", HandMadePng(2, 1, 8, 6, 0, {}, {0, 1, 2, 3, 4, 5, 6, 7, 8}));
    seeds.emplace_back("grey_2bit.png", HandMadePng(3, 2, 2, 0, 0, {}, {0, 0x1B, 0, 0xE4}));
    return seeds;
});

static const SeedRegistrar kTiffSeeds("fuzz_tiff", [] {
    std::vector<Seed> seeds = Encoded(".tif", EncodeTiff);
    seeds.emplace_back("grey_strip.tif", GreyTiff());
    return seeds;
});

}  // namespace wendral::fuzz
