#include "io/codec.h"

#include <new>

#include "io/file_bytes.h"

namespace wendral {

DecodedPicture CodecRead(const std::string& path, PictureFormat format) {
    std::vector<std::uint8_t> bytes;
    const FileReadStatus status = ReadWholeFile(path, bytes);
    if (status != FileReadStatus::Ok) return {PicturePacket(), LoadFailureReport(path, status)};
    try {
        switch (format) {
            case PictureFormat::Png: return DecodePng(bytes.data(), bytes.size());
            case PictureFormat::Tiff: return DecodeTiff(bytes.data(), bytes.size());
            case PictureFormat::Tga: return DecodeTga(bytes.data(), bytes.size());
            case PictureFormat::Pcx: return DecodePcx(bytes.data(), bytes.size());
            default: return {PicturePacket(), "Unknown picture format"};
        }
    } catch (const std::bad_alloc&) {
        return {PicturePacket(), "Not enough memory to read this picture"};
    }
}

bool CodecWrite(const PicturePacket& packet, PictureFormat format, const std::string& path) {
    std::vector<std::uint8_t> file;
    std::string error;
    try {
        switch (format) {
            case PictureFormat::Png: error = EncodePng(packet, file); break;
            case PictureFormat::Tiff: error = EncodeTiff(packet, file); break;
            case PictureFormat::Tga: error = EncodeTga(packet, file); break;
            case PictureFormat::Pcx: error = EncodePcx(packet, file); break;
            default: return false;
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return error.empty() && WriteFileAtomically(path, file.data(), file.size());
}

}  // namespace wendral
