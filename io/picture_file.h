#pragma once
#include <string>

#include "core/messages.h"
#include "core/source_document.h"
#include "core/sources.h"
#include "io/codec.h"
#include "io/picture_formats.h"

namespace wendral {

// Loads a picture file into the document as the open command does, by the reader of its
// format: on success the document holds a 24-bit packet and its size; on failure `out`
// receives the messages in the order the user sees them and the document keeps or loses its
// picture as the failing reader leaves it. `sourceCount` already counts the source being
// loaded. This is the source commands' PictureLoader.
PictureLoadResult LoadPictureFile(const std::string& path, int sourceCount, SourceDocument& doc,
                                  Messages& out);

bool LoadBmpFile(const std::string& path, SourceDocument& doc, Messages& out);
bool LoadJpegFile(const std::string& path, SourceDocument& doc, Messages& out);
bool LoadCodecFile(const std::string& path, CodecDecoder decode, SourceDocument& doc,
                   Messages& out);

inline constexpr const char* kNotAPictureFile = "Not a valid picture file";
inline constexpr const char* kCantLoadFile = "Can't load this file.";
inline constexpr const char* kJpegOpenError = "Error opening JPEG file";

}  // namespace wendral
