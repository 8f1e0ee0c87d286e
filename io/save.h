#pragma once
#include <string>

#include "core/dest_state.h"
#include "core/messages.h"
#include "io/codec.h"
#include "io/picture_formats.h"

namespace wendral {

inline constexpr const char* kJpegStoreError = "Error storing JPEG file";
inline constexpr const char* kCodecSaveError = "Failed the file save!";

// The save dialog's choice: an extension among the six keeps its format whatever the filter;
// any other name gets the filter's extension appended (picture.gif with the Bitmap filter
// becomes picture.gif.bmp). `filterIndex` counts from 1; out-of-range indexes mean Bitmap.
struct SaveTarget {
    std::string path;
    std::string name;
    PictureFormat format = PictureFormat::Bmp;
};
SaveTarget ResolveSaveTarget(const std::string& path, int filterIndex);

// The extension of a filter index (1 "bmp" ... 6 "pcx").
const char* FilterExtension(int filterIndex);

// Writes the destination with the writer of the format; on failure `out` receives the user's
// message (none for BMP, whose writer is silent) and any existing file is left untouched.
bool SaveDestination(const WendralState& state, const std::string& path, PictureFormat format,
                     Messages& out);

// The script command's save: `format` is a format's word ("png"), empty for Bitmap; a name
// without one of the six extensions gets that format's. A failure that the writer leaves
// silent is reported as "save: cannot write PATH".
bool SaveScriptedDestination(const WendralState& state, const std::string& path,
                             const std::string& format, Messages& out);

bool WriteBmpFile(const WendralState& state, const std::string& path);
bool WriteJpegFile(const WendralState& state, const std::string& path, Messages& out);
// The picture-codec layer's writer: the destination as a packet through `encode`.
bool SaveWithCodec(const WendralState& state, const std::string& path, CodecEncoder encode,
                   Messages& out);

}  // namespace wendral
