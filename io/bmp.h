#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/messages.h"
#include "core/picture_packet.h"
#include "core/source_document.h"

namespace wendral {

// The packet of a BMP file's bytes: everything after the 14-byte file header, or an empty
// packet when the file does not start with "BM" or is shorter than its header, colour table
// and pixel rows need. When the file header's pixel offset points past the header inside the
// file and the colour-table rule would put the rows elsewhere, the rows are moved so that they
// follow the colour table as every packet reader expects.
PicturePacket ReadBmpPacket(const std::uint8_t* data, std::size_t size);

// The body of a BMP file (everything after the 14-byte file header) as it stands, the way a
// pasted picture arrives; empty unless the bytes start with "BM" and go on past the file header.
PicturePacket BmpFileBody(const std::uint8_t* data, std::size_t size);

// A BMP file whose body is the packet as it stands, so that BmpFileBody gives it back byte for
// byte; the file header points at the packet's pixel rows.
std::vector<std::uint8_t> BmpFileOfPacket(const PicturePacket& packet);

// LoadBmpFile on bytes already read: the messages are those of the file reader.
bool LoadBmpBytes(const std::uint8_t* data, std::size_t size, SourceDocument& doc, Messages& out);

// The bytes of a 24-bit BMP file (54-byte headers, then the rows) of a picture whose rows lie
// bottom-up in `rows` at `stride` bytes each; rows are padded to 4 bytes in the file.
std::vector<std::uint8_t> BmpFileBytes(const std::uint8_t* rows, std::size_t stride, int width,
                                       int height);

}  // namespace wendral
