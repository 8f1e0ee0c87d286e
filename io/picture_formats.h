#pragma once
#include <string>
#include <string_view>

#include "core/dest_state.h"
#include "core/messages.h"
#include "core/source_document.h"

namespace wendral {

enum class PictureFormat { None, Bmp, Jpeg, Png, Tiff, Tga, Pcx };

// Reads a picture file into a source document; `out` receives the reader's own messages.
using PictureFileReader = bool (*)(const std::string& path, SourceDocument& doc, Messages& out);
// Writes the destination; on failure `out` receives the user's message (none from a silent
// writer) and an existing file is left untouched.
using PictureFileWriter = bool (*)(const WendralState& state, const std::string& path,
                                   Messages& out);

// One picture format. The formats form one table in the dialogs' filter order; the open rule,
// the save rule, both dialogs' filter strings, the readers, the writers and wendral-batch all
// read it, so a format is added or changed in one place.
struct PictureFormatInfo {
    PictureFormat format;
    // Lower case and three characters long: opening looks at the last three of a name.
    const char* extension;
    const char* filterText;  // the dialogs' text, its pattern in brackets
    PictureFileReader read;
    PictureFileWriter write;
    // The reader records the path as the document's own, so a reloaded file shows its name in
    // the window's title again.
    bool readerRecordsPath;
};

// The entry of a format; nullptr for None.
const PictureFormatInfo* FormatInfo(PictureFormat format);

// The filter index (from 1) whose extension is exactly `extension`; 0 for any other word.
int FilterIndexOf(std::string_view extension);

// The entry of a filter index counted from 1; an index out of range means the first filter.
const PictureFormatInfo& FormatOfFilter(int filterIndex);

// The entry whose extension is `extension` in any case; nullptr for any other.
const PictureFormatInfo* FormatOfExtension(std::string_view extension);

// The format of a picture file, from the last three characters of its name, any case.
// "jpeg" and "tiff" end in "peg" and "iff" and so are no picture files.
PictureFormat FormatFromName(std::string_view path);

// The dialogs' "|"-separated filter strings: the save dialog's lists the six formats, the open
// dialog's adds every file after them.
std::string SaveFilter();
std::string OpenFilter();

// The extensions in filter order joined by `separator`, for usage texts.
std::string FormatExtensions(std::string_view separator);

}  // namespace wendral
