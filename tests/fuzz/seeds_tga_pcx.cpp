// Small sound TGA and PCX files of every variant the readers know, for the fuzz targets to
// start from.
#include <initializer_list>

#include "core/picture_packet.h"
#include "io/codec.h"
#include "tests/fuzz/seeds.h"

namespace wendral::fuzz {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

PicturePacket Pattern(int width, int height) {
    PicturePacket p = MakePicturePacket(width, height, nullptr);
    for (std::size_t i = 40; i < p.size(); ++i)
        p.data()[i] = static_cast<std::uint8_t>(i * 13 % 7 * 40);
    return p;
}

Bytes Tga(unsigned mapType, unsigned imageType, unsigned mapFirst, unsigned mapLength,
          unsigned mapBits, unsigned width, unsigned height, unsigned pixelBits,
          unsigned descriptor, std::initializer_list<Bytes> body) {
    Bytes b = {2, static_cast<std::uint8_t>(mapType), static_cast<std::uint8_t>(imageType)};
    Put16(b, mapFirst);
    Put16(b, mapLength);
    b.push_back(static_cast<std::uint8_t>(mapBits));
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, width);
    Put16(b, height);
    b.push_back(static_cast<std::uint8_t>(pixelBits));
    b.push_back(static_cast<std::uint8_t>(descriptor));
    b.insert(b.end(), {'i', 'd'});
    for (const Bytes& part : body) b.insert(b.end(), part.begin(), part.end());
    return b;
}

std::vector<Seed> TgaSeeds() {
    std::vector<Seed> seeds;
    Bytes written;
    EncodeTga(Pattern(5, 3), written);
    seeds.push_back({"written.tga", written});
    const Bytes map24 = {0, 0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0};
    const Bytes map15 = {0x00, 0x00, 0xFF, 0x7F, 0x1F, 0x00, 0xE0, 0x03};
    seeds.push_back(
        {"mapped.tga", Tga(1, 1, 0, 4, 24, 4, 2, 8, 0, {map24, {0, 1, 2, 3, 3, 2, 1, 0}})});
    seeds.push_back({"mapped15-first.tga", Tga(1, 9, 10, 4, 15, 4, 2, 8, 0x20,
                                               {map15, {0x83, 10, 0x02, 11, 12, 13, 0x80, 10}})});
    seeds.push_back({"mapped16-index.tga", Tga(1, 1, 300, 4, 24, 2, 2, 16, 0,
                                               {map24, {0x2C, 1, 0x2D, 1, 0x2E, 1, 0x2F, 1}})});
    seeds.push_back({"grey.tga", Tga(0, 3, 0, 0, 0, 3, 2, 8, 0x10, {{0, 50, 100, 150, 200, 250}})});
    seeds.push_back({"grey-alpha-rle.tga", Tga(0, 11, 0, 0, 0, 3, 2, 16, 0, {{0x85, 90, 255}})});
    seeds.push_back({"rgb16.tga", Tga(0, 2, 0, 0, 0, 2, 2, 16, 0x30,
                                      {{0x00, 0x80, 0xFF, 0x7F, 0x1F, 0x00, 0xE0, 0x03}})});
    seeds.push_back({"rgba-rle.tga",
                     Tga(0, 10, 0, 0, 0, 3, 2, 32, 0x28,
                         {{0x82, 1, 2, 3, 4, 0x02, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}})});
    seeds.push_back({"rgb-rle-with-map.tga",
                     Tga(1, 10, 0, 2, 24, 2, 2, 24, 0, {Bytes(6, 7), {0x83, 9, 8, 7}})});
    return seeds;
}

Bytes Pcx(unsigned bits, unsigned planes, unsigned width, unsigned height, unsigned lineBytes,
          const Bytes& data) {
    Bytes b(128, 0);
    b[0] = 0x0A;
    b[1] = 5;
    b[2] = 1;
    b[3] = static_cast<std::uint8_t>(bits);
    b[8] = static_cast<std::uint8_t>(width - 1);
    b[10] = static_cast<std::uint8_t>(height - 1);
    for (unsigned i = 0; i < 48; ++i) b[16 + i] = static_cast<std::uint8_t>(i * 5);
    b[65] = static_cast<std::uint8_t>(planes);
    b[66] = static_cast<std::uint8_t>(lineBytes);
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

std::vector<Seed> PcxSeeds() {
    std::vector<Seed> seeds;
    Bytes written;
    EncodePcx(Pattern(5, 3), written);
    seeds.push_back({"written.pcx", written});
    seeds.push_back({"mono.pcx", Pcx(1, 1, 9, 2, 2, {0xA5, 0xC1, 0xFF, 0xC2, 0x0F})});
    seeds.push_back(
        {"planes4.pcx", Pcx(1, 4, 8, 2, 1, {0xC8, 0x55, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06})});
    seeds.push_back({"packed4.pcx", Pcx(4, 1, 3, 2, 2, {0x12, 0x30, 0xC2, 0xEF})});
    seeds.push_back({"packed2.pcx", Pcx(2, 1, 5, 1, 2, {0x1B, 0x40})});
    seeds.push_back({"rgba.pcx", Pcx(8, 4, 2, 1, 2, {0xC8, 0x40})});
    Bytes paletted = Pcx(8, 1, 3, 2, 4, {0xC3, 1, 0, 2, 3, 4, 5});
    paletted.push_back(0x0C);
    for (unsigned i = 0; i < 768; ++i) paletted.push_back(static_cast<std::uint8_t>(i * 7));
    seeds.push_back({"paletted.pcx", paletted});
    return seeds;
}

const SeedRegistrar tgaSeeds("fuzz_tga", TgaSeeds);
const SeedRegistrar pcxSeeds("fuzz_pcx", PcxSeeds);

}  // namespace
}  // namespace wendral::fuzz
