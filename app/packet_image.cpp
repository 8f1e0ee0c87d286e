#include "app/packet_image.h"

#include <QPainter>
#include <cstring>

#include "core/source_view.h"

namespace wendral::app {

QImage BottomUpImage(const std::uint8_t* rows, std::size_t stride, int width, int height) {
    if (!rows || width <= 0 || height <= 0) return {};
    QImage image(width, height, QImage::Format_BGR888);
    if (image.isNull()) return {};
    // The last stored row is the top one.
    const std::size_t bytes = 3 * static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), rows + stride * static_cast<std::size_t>(height - 1 - y),
                    bytes);
    return image;
}

QImage PacketImage(const PicturePacket& packet) {
    if (packet.empty()) return {};
    const PacketRows rows = Rows24(packet);
    return rows.valid ? BottomUpImage(rows.bits, rows.stride, rows.width, rows.height) : QImage();
}

int DrawPicturePacket(QPainter& painter, const QRect& target, const QImage& picture,
                      const QRect& source) {
    if (picture.isNull()) return 0;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, picture, source);
    painter.restore();
    return source.intersected(picture.rect()).height();
}

int DrawPicturePacket(QPainter& painter, const QRect& target, const PicturePacket& packet,
                      const QRect& source) {
    return DrawPicturePacket(painter, target, PacketImage(packet), source);
}

}  // namespace wendral::app
