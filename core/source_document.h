#pragma once
#include <string>

#include "core/picture_packet.h"

namespace wendral {

// The picture a source holds, as its file gave it, brought to 24 bits. PictureWidth and
// PictureHeight of 1 x 1 mark a document into which nothing has been loaded yet.
struct SourceDocument {
    PicturePacket packet;
    int PictureWidth = 1;
    int PictureHeight = 1;
    std::string SourcePath;
};

inline constexpr const char* kTwoSourcesMessage =
    "No more than two source windows allowed at any one time.\n\nPlease delete one of the source "
    "windows in order to load in a new one.";

}  // namespace wendral
