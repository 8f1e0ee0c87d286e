#include "app/source_clipboard.h"

#include <QImage>
#include <QMimeData>
#include <cstring>

#include "app/packet_image.h"

namespace wendral::app {
namespace {

constexpr qsizetype kFileHeaderSize = 14;

void PutU32(QByteArray& bytes, qsizetype at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

QByteArray BmpFile(const PicturePacket& packet) {
    QByteArray file(kFileHeaderSize, '\0');
    file[0] = 'B';
    file[1] = 'M';
    PutU32(file, 2, static_cast<std::uint32_t>(kFileHeaderSize + static_cast<qsizetype>(packet.size())));
    PutU32(file, 10, static_cast<std::uint32_t>(kFileHeaderSize + static_cast<qsizetype>(packet.PixelBitsOffset())));
    file.append(reinterpret_cast<const char*>(packet.data()), static_cast<qsizetype>(packet.size()));
    return file;
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

bool OffersPicture(const QMimeData* data) { return data && (data->hasFormat(kBmpMime) || data->hasImage()); }

PicturePacket PictureFromMimeData(const QMimeData* data) {
    if (!data) return {};
    if (data->hasFormat(kBmpMime)) {
        const QByteArray file = data->data(kBmpMime);
        if (file.size() > kFileHeaderSize && file.startsWith("BM")) {
            const auto* body = reinterpret_cast<const std::uint8_t*>(file.constData()) + kFileHeaderSize;
            return PicturePacket(std::vector<std::uint8_t>(body, body + (file.size() - kFileHeaderSize)));
        }
    }
    if (data->hasImage()) return PacketFromImage(qvariant_cast<QImage>(data->imageData()));
    return {};
}

}  // namespace wendral::app
