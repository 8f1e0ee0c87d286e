#include "io/picture_formats.h"

#include <cctype>
#include <iterator>

#include "io/codec.h"
#include "io/picture_file.h"
#include "io/save.h"

namespace wendral {
namespace {

template <CodecDecoder Decode>
bool ReadWithCodec(const std::string& path, SourceDocument& doc, Messages& out) {
    return LoadCodecFile(path, Decode, doc, out);
}

template <CodecEncoder Encode>
bool WriteWithCodec(const WendralState& state, const std::string& path, Messages& out) {
    return SaveWithCodec(state, path, Encode, out);
}

// The BMP writer says nothing when it fails.
bool WriteBmp(const WendralState& state, const std::string& path, Messages&) {
    return WriteBmpFile(state, path);
}

constexpr PictureFormatInfo kFormats[] = {
    {PictureFormat::Bmp, "bmp", "Bitmap Files (*.bmp)", LoadBmpFile, WriteBmp, true},
    {PictureFormat::Jpeg, "jpg", "Jpeg Files (*.jpg)", LoadJpegFile, WriteJpegFile, false},
    {PictureFormat::Png, "png", "Png Files (*.png)", ReadWithCodec<DecodePng>,
     WriteWithCodec<EncodePng>, false},
    {PictureFormat::Tiff, "tif", "Tif Files (*.tif)", ReadWithCodec<DecodeTiff>,
     WriteWithCodec<EncodeTiff>, false},
    {PictureFormat::Tga, "tga", "Tga Files (*.tga)", ReadWithCodec<DecodeTga>,
     WriteWithCodec<EncodeTga>, false},
    {PictureFormat::Pcx, "pcx", "Pcx Files (*.pcx)", ReadWithCodec<DecodePcx>,
     WriteWithCodec<EncodePcx>, false},
};
constexpr int kFormatCount = static_cast<int>(std::size(kFormats));

std::string FilterPairs() {
    std::string pairs;
    for (const PictureFormatInfo& f : kFormats)
        pairs += std::string(f.filterText) + "|*." + f.extension + "|";
    return pairs;
}

}  // namespace

const PictureFormatInfo* FormatInfo(PictureFormat format) {
    for (const PictureFormatInfo& f : kFormats)
        if (f.format == format) return &f;
    return nullptr;
}

int FilterIndexOf(std::string_view extension) {
    for (int i = 0; i < kFormatCount; ++i)
        if (extension == kFormats[i].extension) return i + 1;
    return 0;
}

const PictureFormatInfo& FormatOfFilter(int filterIndex) {
    return kFormats[filterIndex >= 1 && filterIndex <= kFormatCount ? filterIndex - 1 : 0];
}

const PictureFormatInfo* FormatOfExtension(std::string_view extension) {
    std::string lower(extension);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const int index = FilterIndexOf(lower);
    return index ? &FormatOfFilter(index) : nullptr;
}

PictureFormat FormatFromName(std::string_view path) {
    const PictureFormatInfo* info =
        path.size() < 3 ? nullptr : FormatOfExtension(path.substr(path.size() - 3));
    return info ? info->format : PictureFormat::None;
}

std::string SaveFilter() {
    return FilterPairs() + "|";
}

std::string OpenFilter() {
    return FilterPairs() + "All Files (*.*)|*.*||";
}

std::string FormatExtensions(std::string_view separator) {
    std::string words;
    for (const PictureFormatInfo& f : kFormats) {
        if (!words.empty()) words += separator;
        words += f.extension;
    }
    return words;
}

}  // namespace wendral
