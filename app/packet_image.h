#pragma once
#include <QImage>
#include <QRect>

#include "core/picture_packet.h"

class QPainter;

namespace wendral::app {

// A bottom-up 24-bit picture (a packet or DestinationStore) as a top-down QImage: the rows are
// reversed on the way, the bytes stay blue, green, red (Format_BGR888). `stride` is the distance
// between stored rows. A null or empty picture gives a null image.
QImage BottomUpImage(const std::uint8_t* rows, std::size_t stride, int width, int height);

// The packet as an image; a packet that is not a readable 24-bit picture gives a null image.
QImage PacketImage(const PicturePacket& packet);

// Draws the source rectangle of the packet into the target rectangle, stretched without
// blending when the sizes differ. Returns the number of rows drawn, 0 without a picture.
int DrawPicturePacket(QPainter& painter, const QRect& target, const PicturePacket& packet,
                      const QRect& source);
int DrawPicturePacket(QPainter& painter, const QRect& target, const QImage& picture,
                      const QRect& source);

}  // namespace wendral::app
