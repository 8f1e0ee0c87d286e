// Small valid and nearly valid BMP files, raw packets and JPEG files for the three readers.
#include <string>

#include "core/size_math.h"
#include "tests/fuzz/seeds.h"
#include "tests/io/picture_builders.h"

namespace wendral::fuzz {
namespace {

using testfiles::Bytes;

std::vector<std::pair<std::string, Bytes>> BmpFiles() {
    std::vector<std::pair<std::string, Bytes>> files;
    auto add = [&](std::string name, testfiles::BmpFields s) {
        const std::size_t rowBytes = *PaddedRowBytes(static_cast<std::uint64_t>(s.width), s.bits);
        const int rows = s.height < 0 ? -s.height : s.height;
        s.rows = testfiles::MakeRows(rows, rowBytes,
                                     [](int r, std::size_t i) { return r * 37 + i * 11; });
        files.emplace_back(std::move(name), testfiles::MakeBmp(s));
    };
    for (std::uint32_t header : {12u, 40u, 108u, 124u}) {
        for (std::uint16_t bits : {4, 8, 24, 32}) {
            testfiles::BmpFields s = testfiles::Bmp(5, 3, bits, header);
            if (bits <= 8)
                for (int i = 0; i < (1 << bits); ++i)
                    s.palette.push_back(
                        {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(3 * i), 9});
            add("h" + std::to_string(header) + "_" + std::to_string(bits) + ".bmp", s);
            if (header == 12) continue;
            s.height = -3;
            add("h" + std::to_string(header) + "_" + std::to_string(bits) + "_topdown.bmp", s);
        }
        if (header == 12) continue;
        testfiles::BmpFields fields = testfiles::Bmp(4, 2, 32, header, 3);
        fields.masks = {0xFF0000, 0xFF00, 0xFF};
        add("h" + std::to_string(header) + "_bitfields.bmp", fields);
        fields.masks = {0xFF000000, 0x00000FF0, 0x000FF000};
        add("h" + std::to_string(header) + "_othermasks.bmp", fields);
    }
    testfiles::BmpFields gap = testfiles::Bmp(6, 2, 8, 40, 0, 4);
    gap.palette.resize(4);
    gap.gap = 20;
    add("gap.bmp", gap);
    add("sixteen.bmp", testfiles::Bmp(3, 3, 16));
    return files;
}

const SeedRegistrar bmpSeeds("fuzz_bmp", [] { return BmpFiles(); });

const SeedRegistrar packetSeeds("fuzz_convert24", [] {
    std::vector<Seed> packets;
    for (auto& [name, file] : BmpFiles())
        packets.emplace_back(name + ".dib", Bytes(file.begin() + 14, file.end()));
    return packets;
});

const SeedRegistrar jpegSeeds("fuzz_jpeg", [] {
    std::vector<Seed> files;
    auto add = [&](const std::string& name, testfiles::JpegOptions s) {
        files.emplace_back(name, testfiles::EncodeTestJpeg(
                                     s, testfiles::TestPixels(s.width, s.height, s.components)));
    };
    testfiles::JpegOptions s;
    s.width = 19;
    s.height = 13;
    add("colour.jpg", s);
    s.progressive = true;
    add("progressive.jpg", s);
    s.progressive = false;
    s.components = 1;
    add("grey.jpg", s);
    s.components = 4;
    s.stored = JCS_CMYK;
    add("adobe_cmyk.jpg", s);
    s.stored = JCS_YCCK;
    add("ycck.jpg", s);
    s.stored = JCS_CMYK;
    s.adobeMarker = false;
    add("plain_cmyk.jpg", s);
    return files;
});

}  // namespace
}  // namespace wendral::fuzz
