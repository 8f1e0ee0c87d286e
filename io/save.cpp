#include "io/save.h"

#include <cstring>

namespace wendral {
namespace {

// The destination's rows as a packet, each row padded to 4 bytes as a packet's must be.
PicturePacket DestinationPacket(const WendralState& state) {
    PicturePacket packet = MakePicturePacket(state.DestWidth, state.DestHeight, nullptr);
    const std::size_t packed = static_cast<std::size_t>(state.DestWidth) * 3;
    const std::size_t stride = RowStride24(state.DestWidth);
    for (int r = 0; r < state.DestHeight; ++r)
        std::memcpy(
            packet.data() + PicturePacket::kHeaderSize + static_cast<std::size_t>(r) * stride,
            state.DestinationStore() + static_cast<std::size_t>(r) * packed, packed);
    return packet;
}

}  // namespace

const char* FilterExtension(int filterIndex) {
    return FormatOfFilter(filterIndex).extension;
}

SaveTarget ResolveSaveTarget(const std::string& path, int filterIndex) {
    SaveTarget target;
    target.path = path;
    const std::size_t slash = path.find_last_of('/');
    target.name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::size_t dot = target.name.find_last_of('.');
    const std::string extension =
        dot == std::string::npos ? std::string() : target.name.substr(dot + 1);
    if (const PictureFormatInfo* known = FormatOfExtension(extension)) {
        target.format = known->format;
        return target;
    }
    const PictureFormatInfo& filter = FormatOfFilter(filterIndex);
    target.path += std::string(".") + filter.extension;
    target.name += std::string(".") + filter.extension;
    target.format = filter.format;
    return target;
}

bool SaveDestination(const WendralState& state, const std::string& path, PictureFormat format,
                     Messages& out) {
    if (const PictureFormatInfo* info = FormatInfo(format)) return info->write(state, path, out);
    out.emplace_back(kCodecSaveError);
    return false;
}

bool SaveWithCodec(const WendralState& state, const std::string& path, CodecEncoder encode,
                   Messages& out) {
    if (CodecWrite(DestinationPacket(state), encode, path)) return true;
    out.emplace_back(kCodecSaveError);
    return false;
}

bool SaveScriptedDestination(const WendralState& state, const std::string& path,
                             const std::string& format, Messages& out) {
    const SaveTarget target = ResolveSaveTarget(path, format.empty() ? 1 : FilterIndexOf(format));
    if (SaveDestination(state, target.path, target.format, out)) return true;
    if (out.empty()) out.push_back("save: cannot write " + target.path);
    return false;
}

}  // namespace wendral
