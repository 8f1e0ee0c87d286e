#include "app/packet_image.h"

#include <QPainter>

#include "core/source_view.h"

namespace wendral::app {

QImage BottomUpImage(const std::uint8_t* rows, std::size_t stride, int width, int height) {
    if (!rows || width <= 0 || height <= 0) return {};
    // The last stored row is the top one; a negative line step walks the rows upwards.
    const QImage view(rows + stride * static_cast<std::size_t>(height - 1), width, height,
                      -static_cast<qsizetype>(stride), QImage::Format_BGR888);
    return view.copy();
}

QImage PacketImage(const PicturePacket& packet) {
    if (packet.empty()) return {};
    const PacketRows rows = Rows24(packet);
    return rows.valid ? BottomUpImage(rows.bits, rows.stride, rows.width, rows.height) : QImage();
}

int DrawPicturePacket(QPainter& painter, const QRect& target, const QImage& picture, const QRect& source) {
    if (picture.isNull()) return 0;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, picture, source);
    painter.restore();
    return source.intersected(picture.rect()).height();
}

int DrawPicturePacket(QPainter& painter, const QRect& target, const PicturePacket& packet, const QRect& source) {
    return DrawPicturePacket(painter, target, PacketImage(packet), source);
}

}  // namespace wendral::app
