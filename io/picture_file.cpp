#include "io/picture_file.h"

#include <cctype>
#include <new>
#include <string>

#include "core/convert24.h"
#include "core/limits.h"
#include "io/codec.h"

namespace wendral {

PictureFormat FormatFromName(std::string_view path) {
    if (path.size() < 3) return PictureFormat::None;
    std::string ending(path.substr(path.size() - 3));
    for (char& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ending == "bmp") return PictureFormat::Bmp;
    if (ending == "jpg") return PictureFormat::Jpeg;
    if (ending == "png") return PictureFormat::Png;
    if (ending == "tif") return PictureFormat::Tiff;
    if (ending == "tga") return PictureFormat::Tga;
    if (ending == "pcx") return PictureFormat::Pcx;
    return PictureFormat::None;
}

bool LoadPictureFile(const std::string& path, int sourceCount, SourceDocument& doc, Messages& out) {
    doc.SourcePath = path;
    if (sourceCount > 2) {
        out.emplace_back(kTwoSourcesMessage);
        return false;
    }
    bool loaded = false;
    const PictureFormat format = FormatFromName(path);
    switch (format) {
        case PictureFormat::None:
            break;
        case PictureFormat::Bmp:
            loaded = LoadBmpFile(path, doc, out);
            break;
        case PictureFormat::Jpeg:
            loaded = LoadJpegFile(path, doc, out);
            break;
        default:
            loaded = LoadCodecFile(path, format, doc, out);
            break;
    }
    if (!loaded) out.emplace_back(kNotAPictureFile);
    return loaded;
}

bool LoadCodecFile(const std::string& path, PictureFormat format, SourceDocument& doc, Messages& out) {
    DecodedPicture decoded = CodecRead(path, format);
    if (!decoded.error.empty() || decoded.picture.empty()) {
        if (!decoded.error.empty()) out.push_back(decoded.error);
        return false;
    }
    // Codecs give 8- or 24-bit pictures; any other depth they might pass on is converted when
    // it is one a bitmap file may have, refused otherwise. Either way the document keeps its
    // picture until there is a new one.
    if (const char* problem = Packet24Problem(decoded.picture)) {
        out.emplace_back(problem);
        return false;
    }
    PicturePacket packet;
    try {
        packet = RepackTo24Bit(decoded.picture);
    } catch (const std::bad_alloc&) {
        out.emplace_back(kTooLargeMessage);
        return false;
    }
    decoded.picture.reset();
    doc.PictureWidth = packet.Width();
    doc.PictureHeight = packet.Height();
    doc.packet = std::move(packet);
    return true;
}

}  // namespace wendral
