// PNG through libpng, entirely in memory. libpng reports errors by longjmp, so every call that
// can fail runs inside a small function that owns the setjmp and holds no object with a
// destructor; the buffers live in the callers, above the jump.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <new>

#include "core/limits.h"
#include "core/size_math.h"
#include "io/codec.h"
#include "io/codec_packet24.h"

namespace wendral {
namespace {

constexpr const char* kNotPng = "Not a PNG file";
constexpr const char* kPngTruncated = "PNG file is truncated";
constexpr const char* kPngDamaged = "PNG file is damaged";
constexpr const char* kPngNoMemory = "Not enough memory to read this PNG file";
constexpr const char* kPngWriteFailed = "The PNG file could not be written";
constexpr const char* kPngWriteNoMemory = "Not enough memory to write the PNG file";

// Ancillary chunks (text, profiles) are never needed for the pixels: keep their cost small.
constexpr png_alloc_size_t kMaxChunkBytes = 8u << 20;
constexpr png_uint_32 kMaxCachedChunks = 256;
// Deflate cannot expand one input byte into more than 1032 output bytes, so a file shorter than
// its image data divided by that cannot hold the picture it claims.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct PngReadState {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    bool truncated = false;
    bool tooLarge = false;
};

void OnPngReadError(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngReadState*>(png_get_error_ptr(png));
    if (message && std::strstr(message, "exceeds user limit")) state->tooLarge = true;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

void ReadPngBytes(png_structp png, png_bytep out, std::size_t count) {
    auto* state = static_cast<PngReadState*>(png_get_io_ptr(png));
    if (count > state->size - state->pos) {
        state->truncated = true;
        png_error(png, "read past the end of the data");
    }
    std::memcpy(out, state->data + state->pos, count);
    state->pos += count;
}

struct PngLayout {
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    int colourType = 0;
    int fileBitDepth = 0;
    int fileChannels = 0;
    int outChannels = 0;
    std::size_t rowBytes = 0;
    png_color palette[256] = {};
    int paletteSize = 0;
};

// Palette and grey pictures come out as one byte per pixel indexing a colour table, everything
// else as blue, green, red. Alpha and tRNS are ignored: each pixel keeps the colour stored for it.
bool ReadPngLayout(png_structp png, png_infop info, PngLayout& layout) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    int interlace = 0;
    png_get_IHDR(png, info, &layout.width, &layout.height, &layout.fileBitDepth, &layout.colourType,
                 &interlace, nullptr, nullptr);
    layout.fileChannels = png_get_channels(png, info);
    if (layout.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_packing(png);
        png_colorp entries = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &entries, &count) && entries) {
            layout.paletteSize = count > 256 ? 256 : count;
            std::memcpy(layout.palette, entries,
                        sizeof(png_color) * static_cast<std::size_t>(layout.paletteSize));
        }
    } else if ((layout.colourType & PNG_COLOR_MASK_COLOR) == 0) {
        if (layout.fileBitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    } else {
        png_set_bgr(png);
    }
    if (layout.fileBitDepth == 16) png_set_scale_16(png);
    if (layout.colourType & PNG_COLOR_MASK_ALPHA) png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    layout.outChannels = png_get_channels(png, info);
    layout.rowBytes = png_get_rowbytes(png, info);
    return true;
}

bool ReadPngRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    return true;
}

// Owns a libpng struct and its info struct, either of which may not have been made.
template <void (*Destroy)(png_structpp, png_infopp)>
struct PngGuard {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngGuard() {
        if (png) Destroy(&png, info ? &info : nullptr);
    }
};

void DestroyPngRead(png_structpp png, png_infopp info) {
    png_destroy_read_struct(png, info, nullptr);
}

using PngReadGuard = PngGuard<DestroyPngRead>;

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

void PutU32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// libpng allocates some chunks' whole claimed length before reading them (a palette or text
// chunk of a hundred-byte file may claim two gigabytes), so the chunks ahead of the picture data
// are walked here first. libpng reads every byte of those chunks, so one running past the end
// of the data could only have ended as a truncated file.
bool ChunksBeforeImageDataFit(const std::uint8_t* data, std::size_t size) {
    std::size_t pos = 8;
    while (size - pos >= 8) {
        const std::uint32_t length = BigEndian32(data + pos);
        if (length > 0x7FFFFFFFu) return true;  // libpng refuses the length itself: damaged
        const std::uint8_t* type = data + pos + 4;
        if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) return true;
        if (std::uint64_t{length} + 12 > size - pos) return false;
        pos += std::size_t{length} + 12;
    }
    return true;
}

}  // namespace

DecodedPicture DecodePng(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0) return DecodeFailure(kNotPng);
    const std::size_t head = size < 8 ? size : 8;
    if (std::memcmp(data, kSignature, head) != 0) return DecodeFailure(kNotPng);
    if (size < 8) return DecodeFailure(kPngTruncated);

    // The first chunk must be IHDR; refusing absurd sizes here costs nothing and gives the
    // user the real reason rather than a library message.
    if (size >= 24 && std::memcmp(data + 12, "IHDR", 4) == 0) {
        const std::int64_t w = BigEndian32(data + 16);
        const std::int64_t h = BigEndian32(data + 20);
        if (w != 0 && h != 0 && w <= 0x7FFFFFFF && h <= 0x7FFFFFFF && !PictureSizeAllowed(w, h))
            return DecodeFailure(kTooLargeMessage);
    }

    if (!ChunksBeforeImageDataFit(data, size)) return DecodeFailure(kPngTruncated);

    PngReadState state;
    state.data = data;
    state.size = size;
    PngReadGuard guard;
    guard.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, OnPngReadError, OnPngWarning);
    if (!guard.png) return DecodeFailure(kPngNoMemory);
    guard.info = png_create_info_struct(guard.png);
    if (!guard.info) return DecodeFailure(kPngNoMemory);
    png_set_read_fn(guard.png, &state, ReadPngBytes);
    png_set_user_limits(guard.png, static_cast<png_uint_32>(kMaxLoadSide),
                        static_cast<png_uint_32>(kMaxLoadSide));
    png_set_chunk_malloc_max(guard.png, kMaxChunkBytes);
    png_set_chunk_cache_max(guard.png, kMaxCachedChunks);
    png_set_keep_unknown_chunks(guard.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);

    PngLayout layout;
    if (!ReadPngLayout(guard.png, guard.info, layout)) {
        if (state.tooLarge) return DecodeFailure(kTooLargeMessage);
        return DecodeFailure(state.truncated ? kPngTruncated : kPngDamaged);
    }
    if (!PictureSizeAllowed(layout.width, layout.height)) return DecodeFailure(kTooLargeMessage);
    const bool indexed = layout.outChannels == 1;
    if ((layout.outChannels != 1 && layout.outChannels != 3) ||
        layout.rowBytes != std::size_t{layout.width} * static_cast<std::size_t>(layout.outChannels))
        return DecodeFailure(kPngDamaged);

    const auto fileRowBits =
        CheckedMul(layout.width, static_cast<std::uint64_t>(layout.fileBitDepth),
                   static_cast<std::uint64_t>(layout.fileChannels));
    const auto rawBytes =
        fileRowBits ? CheckedMul((*fileRowBits + 7) / 8 + 1, layout.height) : std::nullopt;
    if (!rawBytes || *rawBytes / kMaxDeflateRatio > size) return DecodeFailure(kPngTruncated);

    const std::size_t tableBytes = indexed ? 256 * 4 : 0;
    const auto stride =
        PaddedRowBytes(layout.width, static_cast<std::uint64_t>(layout.outChannels) * 8);
    const auto image = stride ? CheckedMul(*stride, layout.height) : std::nullopt;
    const auto total =
        image ? CheckedAdd(PicturePacket::kHeaderSize + tableBytes, *image) : std::nullopt;
    if (!total || *total > 0xFFFFFFFFu) return DecodeFailure(kTooLargeMessage);

    std::vector<std::uint8_t> block;
    std::vector<png_bytep> rows;
    try {
        block.assign(static_cast<std::size_t>(*total), 0);
        rows.resize(layout.height);
    } catch (const std::bad_alloc&) {
        return DecodeFailure(kPngNoMemory);
    }
    std::uint8_t* header = block.data();
    PutU32(header + 0, 40);
    PutU32(header + 4, layout.width);
    PutU32(header + 8, layout.height);
    header[12] = 1;
    header[14] = static_cast<std::uint8_t>(indexed ? 8 : 24);
    PutU32(header + 20, static_cast<std::uint32_t>(*image));
    std::uint8_t* table = header + PicturePacket::kHeaderSize;
    for (int i = 0; indexed && i < 256; ++i) {
        std::uint8_t* entry = table + 4 * i;
        if (layout.colourType != PNG_COLOR_TYPE_PALETTE) {
            entry[0] = entry[1] = entry[2] = static_cast<std::uint8_t>(i);
        } else if (i < layout.paletteSize) {
            // Indices past the palette stay black.
            entry[0] = layout.palette[i].blue;
            entry[1] = layout.palette[i].green;
            entry[2] = layout.palette[i].red;
        }
    }
    std::uint8_t* pixels = table + tableBytes;
    for (png_uint_32 y = 0; y < layout.height; ++y)
        rows[y] = pixels + static_cast<std::size_t>(layout.height - 1 - y) *
                               static_cast<std::size_t>(*stride);

    if (!ReadPngRows(guard.png, rows.data())) {
        if (state.tooLarge) return DecodeFailure(kTooLargeMessage);
        return DecodeFailure(state.truncated ? kPngTruncated : kPngDamaged);
    }
    return DecodedPicture{PicturePacket(std::move(block)), {}};
}

namespace {

struct PngWriteState {
    std::vector<std::uint8_t>* out = nullptr;
    bool noMemory = false;
};

void OnPngWriteError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

void WritePngBytes(png_structp png, png_bytep bytes, std::size_t count) {
    auto* state = static_cast<PngWriteState*>(png_get_io_ptr(png));
    bool failed = false;
    try {
        state->out->insert(state->out->end(), bytes, bytes + count);
    } catch (...) {
        failed = true;
    }
    if (failed) {
        state->noMemory = true;
        png_error(png, "out of memory");
    }
}

void FlushPngBytes(png_structp) {}

bool WritePngRows(png_structp png, png_infop info, const PacketRows24& rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, static_cast<png_uint_32>(rows.width),
                 static_cast<png_uint_32>(rows.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < rows.height; ++y) png_write_row(png, rows.TopRow(y));
    png_write_end(png, info);
    return true;
}

using PngWriteGuard = PngGuard<png_destroy_write_struct>;

}  // namespace

std::string EncodePng(const PicturePacket& packet, std::vector<std::uint8_t>& out) {
    PacketRows24 rows;
    if (std::string error = ViewPacket24(packet, rows); !error.empty()) return error;
    if (!PictureSizeAllowed(rows.width, rows.height)) return kTooLargeMessage;

    const std::size_t before = out.size();
    PngWriteState state;
    state.out = &out;
    PngWriteGuard guard;
    guard.png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, OnPngWriteError, OnPngWarning);
    if (!guard.png) return kPngWriteNoMemory;
    guard.info = png_create_info_struct(guard.png);
    if (!guard.info) return kPngWriteNoMemory;
    png_set_write_fn(guard.png, &state, WritePngBytes, FlushPngBytes);
    if (!WritePngRows(guard.png, guard.info, rows)) {
        out.resize(before);
        return state.noMemory ? kPngWriteNoMemory : kPngWriteFailed;
    }
    return {};
}

}  // namespace wendral
