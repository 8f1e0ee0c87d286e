#include "app/source_clipboard.h"

#include <QImage>
#include <QMimeData>
#include <cstring>

#include "app/packet_image.h"
#include "io/bmp.h"

namespace wendral::app {
namespace {

QByteArray BmpFile(const PicturePacket& packet) {
    const std::vector<std::uint8_t> file = BmpFileOfPacket(packet);
    return QByteArray(reinterpret_cast<const char*>(file.data()),
                      static_cast<qsizetype>(file.size()));
}

// Any image as a 24-bit bottom-up packet.
PicturePacket PacketFromImage(const QImage& image) {
    if (image.isNull()) return {};
    const QImage bgr = image.convertToFormat(QImage::Format_BGR888);
    const int w = bgr.width(), h = bgr.height();
    const std::size_t stride = RowStride24(w);
    PicturePacket packet = MakePicturePacket(w, h, nullptr);
    std::uint8_t* bits = packet.data() + PicturePacket::kHeaderSize;
    for (int y = 0; y < h; ++y)
        std::memcpy(bits + stride * static_cast<std::size_t>(h - 1 - y), bgr.constScanLine(y),
                    3 * static_cast<std::size_t>(w));
    return packet;
}

}  // namespace

QMimeData* PictureMimeData(const PicturePacket& packet) {
    auto* data = new QMimeData;
    if (packet.empty()) return data;
    data->setData(kBmpMime, BmpFile(packet));
    const QImage image = PacketImage(packet);
    if (!image.isNull()) data->setImageData(image);
    return data;
}

bool OffersPicture(const QMimeData* data) {
    return data && (data->hasFormat(kBmpMime) || data->hasImage());
}

PicturePacket PictureFromMimeData(const QMimeData* data) {
    if (!data) return {};
    if (data->hasFormat(kBmpMime)) {
        const QByteArray file = data->data(kBmpMime);
        PicturePacket body = BmpFileBody(reinterpret_cast<const std::uint8_t*>(file.constData()),
                                         static_cast<std::size_t>(file.size()));
        if (!body.empty()) return body;
    }
    if (data->hasImage()) return PacketFromImage(qvariant_cast<QImage>(data->imageData()));
    return {};
}

}  // namespace wendral::app
