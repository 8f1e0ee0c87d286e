#pragma once
#include "core/messages.h"
#include "core/source_document.h"

namespace wendral {

inline constexpr const char* kUnsupportedBitmap = "Wendral does not support this type of bitmap.";

// Brings whatever packet the document holds to the 24-bit packet form (40-byte header, rows
// bottom-up as stored, 3 x width bytes plus padding to 4). 4- and 8-bit palette pictures are
// expanded, 24-bit ones kept, 32-bit ones repacked. Any other depth, or a packet whose sizes
// the bytes present do not bear out, leaves the document without a packet and adds
// kUnsupportedBitmap (or the reason) to `out`; PictureWidth and PictureHeight then keep their
// values. Returns whether the document holds a packet afterwards.
bool ConvertTo24Bit(SourceDocument& doc, Messages& out);

}  // namespace wendral
