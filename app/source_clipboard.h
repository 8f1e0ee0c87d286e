#pragma once
#include <QString>

#include "core/picture_packet.h"

class QMimeData;

namespace wendral::app {

// The clipboard form of a source picture: "image/bmp", a BMP file whose body after the 14-byte
// file header is the packet, so that it reads back byte for byte; and a plain image for
// programs that take only that.
inline constexpr const char* kBmpMime = "image/bmp";

QMimeData* PictureMimeData(const PicturePacket& packet);

// Whether `data` holds a picture that paste takes.
bool OffersPicture(const QMimeData* data);

// The packet that paste takes from `data`: the body of an "image/bmp" file as it stands (its
// depth is converted afterwards like a loaded file's), or else any other image the clipboard
// holds, brought to 24 bits. Empty when there is none.
PicturePacket PictureFromMimeData(const QMimeData* data);

}  // namespace wendral::app
