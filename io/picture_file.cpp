#include "io/picture_file.h"

#include <new>
#include <string>

#include "core/convert24.h"
#include "core/limits.h"
#include "io/codec.h"

namespace wendral {

PictureLoadResult LoadPictureFile(const std::string& path, int sourceCount, SourceDocument& doc,
                                  Messages& out) {
    doc.SourcePath = path;
    if (sourceCount > 2) {
        out.emplace_back(kTwoSourcesMessage);
        return {};
    }
    const PictureFormatInfo* format = FormatInfo(FormatFromName(path));
    const bool loaded = format && format->read(path, doc, out);
    if (!loaded) out.emplace_back(kNotAPictureFile);
    return {loaded, loaded && format->readerRecordsPath};
}

bool LoadCodecFile(const std::string& path, CodecDecoder decode, SourceDocument& doc,
                   Messages& out) {
    DecodedPicture decoded = CodecRead(path, decode);
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
