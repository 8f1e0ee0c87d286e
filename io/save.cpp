#include "io/save.h"

#include <cctype>
#include <cstring>

#include "io/codec.h"

namespace wendral {
namespace {

constexpr const char* kFilterExtensions[] = {"bmp", "jpg", "png", "tif", "tga", "pcx"};
constexpr PictureFormat kFilterFormats[] = {PictureFormat::Bmp, PictureFormat::Jpeg, PictureFormat::Png,
                                            PictureFormat::Tiff, PictureFormat::Tga, PictureFormat::Pcx};

int FilterSlot(int filterIndex) { return filterIndex >= 1 && filterIndex <= 6 ? filterIndex - 1 : 0; }

// The destination's rows as a packet, each row padded to 4 bytes as a packet's must be.
PicturePacket DestinationPacket(const WendralState& state) {
    PicturePacket packet = MakePicturePacket(state.DestWidth, state.DestHeight, nullptr);
    const std::size_t packed = static_cast<std::size_t>(state.DestWidth) * 3;
    const std::size_t stride = RowStride24(state.DestWidth);
    for (int r = 0; r < state.DestHeight; ++r)
        std::memcpy(packet.data() + PicturePacket::kHeaderSize + static_cast<std::size_t>(r) * stride,
                    state.DestinationStore() + static_cast<std::size_t>(r) * packed, packed);
    return packet;
}

}  // namespace

const char* FilterExtension(int filterIndex) { return kFilterExtensions[FilterSlot(filterIndex)]; }

SaveTarget ResolveSaveTarget(const std::string& path, int filterIndex) {
    SaveTarget target;
    target.path = path;
    const std::size_t slash = path.find_last_of('/');
    target.name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = target.name.find_last_of('.');
    std::string extension = dot == std::string::npos ? std::string() : target.name.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int i = 0; i < 6; ++i) {
        if (extension == kFilterExtensions[i]) {
            target.format = kFilterFormats[i];
            return target;
        }
    }
    const int slot = FilterSlot(filterIndex);
    target.path += std::string(".") + kFilterExtensions[slot];
    target.name += std::string(".") + kFilterExtensions[slot];
    target.format = kFilterFormats[slot];
    return target;
}

bool SaveDestination(const WendralState& state, const std::string& path, PictureFormat format, Messages& out) {
    switch (format) {
        case PictureFormat::Bmp:
            return WriteBmpFile(state, path);
        case PictureFormat::Jpeg:
            return WriteJpegFile(state, path, out);
        case PictureFormat::Png:
        case PictureFormat::Tiff:
        case PictureFormat::Tga:
        case PictureFormat::Pcx:
            if (CodecWrite(DestinationPacket(state), format, path)) return true;
            break;
        case PictureFormat::None:
            break;
    }
    out.emplace_back(kCodecSaveError);
    return false;
}

}  // namespace wendral
