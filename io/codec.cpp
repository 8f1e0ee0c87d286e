#include "io/codec.h"

#include <new>

#include "io/file_bytes.h"

namespace wendral {

DecodedPicture CodecRead(const std::string& path, CodecDecoder decode) {
    std::vector<std::uint8_t> bytes;
    const FileReadStatus status = ReadWholeFile(path, bytes);
    if (status != FileReadStatus::Ok) return {PicturePacket(), LoadFailureReport(path, status)};
    try {
        return decode(bytes.data(), bytes.size());
    } catch (const std::bad_alloc&) {
        return {PicturePacket(), "Not enough memory to read this picture"};
    }
}

bool CodecWrite(const PicturePacket& packet, CodecEncoder encode, const std::string& path) {
    std::vector<std::uint8_t> file;
    std::string error;
    try {
        error = encode(packet, file);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return error.empty() && WriteFileAtomically(path, file.data(), file.size());
}

}  // namespace wendral
