#pragma once
#include <string>
#include <string_view>

#include "core/messages.h"
#include "core/source_document.h"

namespace wendral {

enum class PictureFormat { None, Bmp, Jpeg, Png, Tiff, Tga, Pcx };

// The format of a picture file, from the last three characters of its name, any case.
// "jpeg" and "tiff" end in "peg" and "iff" and so are no picture files.
PictureFormat FormatFromName(std::string_view path);

// Loads a picture file into the document as the open command does: on success the document
// holds a 24-bit packet and its size; on failure `out` receives the messages in the order the
// user sees them and the document keeps or loses its picture as the failing reader leaves it.
// `sourceCount` already counts the source being loaded.
bool LoadPictureFile(const std::string& path, int sourceCount, SourceDocument& doc, Messages& out);

bool LoadBmpFile(const std::string& path, SourceDocument& doc, Messages& out);
bool LoadJpegFile(const std::string& path, SourceDocument& doc, Messages& out);
bool LoadCodecFile(const std::string& path, PictureFormat format, SourceDocument& doc, Messages& out);

inline constexpr const char* kNotAPictureFile = "Not a valid picture file";
inline constexpr const char* kCantLoadFile = "Can't load this file.";
inline constexpr const char* kJpegOpenError = "Error opening JPEG file";

}  // namespace wendral
