#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/picture_packet.h"

namespace wendral {

// The picture codecs: PNG and TIFF through their libraries, TGA and PCX of our own. A decoded
// picture is a bitmap with a 40-byte header, rows bottom-up and padded to 4 bytes, either
// 8 bits per pixel with a 256-entry colour table of 4-byte entries or 24 bits per pixel
// (blue, green, red). On failure `error` holds a short text for the user and `picture` is empty.
struct DecodedPicture {
    PicturePacket picture;
    std::string error;
};

DecodedPicture DecodePng(const std::uint8_t* data, std::size_t size);
DecodedPicture DecodeTiff(const std::uint8_t* data, std::size_t size);
DecodedPicture DecodeTga(const std::uint8_t* data, std::size_t size);
DecodedPicture DecodePcx(const std::uint8_t* data, std::size_t size);

using CodecDecoder = DecodedPicture (*)(const std::uint8_t* data, std::size_t size);

// Reads the file and runs the decoder on its bytes.
DecodedPicture CodecRead(const std::string& path, CodecDecoder decode);

// Encoders take a 24-bit packet (40-byte header, bottom-up rows padded to 4 bytes) and append
// the file's bytes to `out`. They return an empty string or the error text.
std::string EncodePng(const PicturePacket& packet, std::vector<std::uint8_t>& out);
std::string EncodeTiff(const PicturePacket& packet, std::vector<std::uint8_t>& out);
std::string EncodeTga(const PicturePacket& packet, std::vector<std::uint8_t>& out);
std::string EncodePcx(const PicturePacket& packet, std::vector<std::uint8_t>& out);

using CodecEncoder = std::string (*)(const PicturePacket& packet, std::vector<std::uint8_t>& out);

// Encodes and writes the file; false on any failure, leaving an existing file untouched.
bool CodecWrite(const PicturePacket& packet, CodecEncoder encode, const std::string& path);

}  // namespace wendral
