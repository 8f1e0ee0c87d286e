#include "io/jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

#include "core/limits.h"
#include "core/size_math.h"
#include "io/file_bytes.h"
#include "io/picture_file.h"
#include "io/save.h"

namespace wendral {
namespace {

// libjpeg reports errors through a callback that must not return. We jump back into the small
// function that made the failing call; those functions hold no object with a destructor, so
// nothing is skipped by the jump.
struct ErrorTrap {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    bool endOfDataFatal;
};

[[noreturn]] void JumpOut(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorTrap*>(cinfo->err)->jump, 1);
}

// libjpeg makes up the rest of a truncated picture and only warns. A scan that runs out of
// data is a picture we do not have. The end of the file is fatal while the header is read and
// in multi-scan files (scans would be missing); a single-scan file that merely lacks its end
// marker still has all its rows, and a real shortfall there shows up as a scan running out.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    if (trap->pub.msg_code == JWRN_HIT_MARKER) JumpOut(cinfo);
    if (trap->pub.msg_code == JWRN_JPEG_EOF && trap->endOfDataFatal) JumpOut(cinfo);
    ++trap->pub.num_warnings;
}

void QuietMessage(j_common_ptr cinfo, int level) {
    if (level < 0) ++cinfo->err->num_warnings;
}

struct ScanBound {
    jpeg_progress_mgr pub;
    int maxScans;
};

void CheckScanCount(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    const auto* bound = reinterpret_cast<const ScanBound*>(cinfo->progress);
    if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > bound->maxScans)
        JumpOut(cinfo);
}

struct JpegReader {
    jpeg_decompress_struct cinfo;
    ErrorTrap trap;
    ScanBound bound;
};

bool BeginDecode(JpegReader* r, const std::uint8_t* data, std::size_t size, long maxMemory,
                 int maxScans) {
    r->cinfo.err = jpeg_std_error(&r->trap.pub);
    r->trap.pub.error_exit = JumpOut;
    r->trap.pub.emit_message = OnMessage;
    r->trap.endOfDataFatal = true;
    if (setjmp(r->trap.jump)) return false;
    jpeg_create_decompress(&r->cinfo);
    r->cinfo.mem->max_memory_to_use = maxMemory;
    r->bound.pub.progress_monitor = CheckScanCount;
    r->bound.maxScans = maxScans;
    r->cinfo.progress = &r->bound.pub;
    jpeg_mem_src(&r->cinfo, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&r->cinfo, TRUE) != JPEG_HEADER_OK) return false;
    r->trap.endOfDataFatal = jpeg_has_multiple_scans(&r->cinfo);
    return true;
}

bool StartOutput(JpegReader* r, J_COLOR_SPACE space) {
    if (setjmp(r->trap.jump)) return false;
    r->cinfo.out_color_space = space;
    return jpeg_start_decompress(&r->cinfo) == TRUE;
}

bool ReadRow(JpegReader* r, JSAMPROW row) {
    if (setjmp(r->trap.jump)) return false;
    return jpeg_read_scanlines(&r->cinfo, &row, 1) == 1;
}

// Destroying the decoder is allowed at any point and cannot fail. A zeroed decoder whose
// creation never ran is destroyed as a no-op.
struct ReaderRelease {
    JpegReader* r;
    ~ReaderRelease() { jpeg_destroy_decompress(&r->cinfo); }
};

// The presentation chosen for four-channel pictures: r, g, b are the complements of the cyan,
// magenta and yellow inks and a that of the black ink, so that (b x a + 1) >> 8 is the blue
// the inks leave. Files with the Adobe marker store every ink inverted, that is already as its
// complement; plain CMYK files store the inks themselves.
void InksToBgr(const std::uint8_t* inks, std::size_t width, bool inverted, std::uint8_t* out) {
    const auto complement = [inverted](std::uint8_t ink) {
        return inverted ? int{ink} : 255 - int{ink};
    };
    for (std::size_t x = 0; x < width; ++x) {
        const int r = complement(inks[4 * x]);
        const int g = complement(inks[4 * x + 1]);
        const int b = complement(inks[4 * x + 2]);
        const int a = complement(inks[4 * x + 3]);
        out[3 * x] = static_cast<std::uint8_t>((b * a + 1) >> 8);
        out[3 * x + 1] = static_cast<std::uint8_t>((g * a + 1) >> 8);
        out[3 * x + 2] = static_cast<std::uint8_t>((r * a + 1) >> 8);
    }
}

void PutLe32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

JpegDecoded DecodeRows(JpegReader* r, const JpegLimits& limits, const std::uint8_t* data,
                       std::size_t size) {
    JpegDecoded result;
    if (!BeginDecode(r, data, size, limits.maxDecoderMemory, limits.maxScans)) return result;
    const int channels = r->cinfo.num_components;
    if (channels != 1 && channels != 3 && channels != 4) {
        result.status = JpegStatus::UnsupportedChannels;
        return result;
    }
    const std::int64_t width = r->cinfo.image_width;
    const std::int64_t height = r->cinfo.image_height;
    if (!PictureSizeAllowed(width, height) || width * height > limits.maxPixels) {
        result.status = JpegStatus::TooLarge;
        return result;
    }
    if (!StartOutput(r, channels == 4 ? JCS_CMYK : JCS_EXT_BGR)) return result;
    const int outChannels = channels == 4 ? 4 : 3;
    if (r->cinfo.output_components != outChannels || r->cinfo.output_width != width ||
        r->cinfo.output_height != height)
        return result;

    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t stride = RowStride24(static_cast<int>(width));
    // Rows are added as they are decoded, so a file that claims a large picture and then runs
    // out of data costs only what it delivered.
    std::vector<std::uint8_t> block;
    block.reserve(PicturePacket::kHeaderSize + stride * static_cast<std::size_t>(height));
    block.resize(PicturePacket::kHeaderSize);
    std::vector<std::uint8_t> inks(outChannels == 4 ? 4 * w : 0);
    const bool inverted = r->cinfo.saw_Adobe_marker;
    for (std::int64_t y = 0; y < height; ++y) {
        const std::size_t at = block.size();
        block.resize(at + stride);
        std::uint8_t* row = block.data() + at;
        if (outChannels == 3) {
            if (!ReadRow(r, row)) return result;
        } else {
            if (!ReadRow(r, inks.data())) return result;
            InksToBgr(inks.data(), w, inverted, row);
        }
    }

    // The decoder gives the top row first; packets hold the bottom row first.
    std::uint8_t* rows = block.data() + PicturePacket::kHeaderSize;
    for (std::int64_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(rows + static_cast<std::size_t>(top) * stride,
                         rows + static_cast<std::size_t>(top + 1) * stride,
                         rows + static_cast<std::size_t>(bottom) * stride);
    std::uint8_t* h = block.data();
    PutLe32(h, 40);
    PutLe32(h + 4, static_cast<std::uint32_t>(width));
    PutLe32(h + 8, static_cast<std::uint32_t>(height));
    h[12] = 1;   // planes
    h[14] = 24;  // bits per pixel
    PutLe32(h + 20, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height)));
    result.packet = PicturePacket(std::move(block));
    result.status = JpegStatus::Ok;
    return result;
}

struct JpegWriter {
    jpeg_compress_struct cinfo;
    ErrorTrap trap;
    unsigned char* buffer;
    unsigned long bufferSize;
};

bool BeginEncode(JpegWriter* w, int width, int height) {
    w->cinfo.err = jpeg_std_error(&w->trap.pub);
    w->trap.pub.error_exit = JumpOut;
    w->trap.pub.emit_message = QuietMessage;
    if (setjmp(w->trap.jump)) return false;
    jpeg_create_compress(&w->cinfo);
    jpeg_mem_dest(&w->cinfo, &w->buffer, &w->bufferSize);
    w->cinfo.image_width = static_cast<JDIMENSION>(width);
    w->cinfo.image_height = static_cast<JDIMENSION>(height);
    w->cinfo.input_components = 3;
    w->cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&w->cinfo);
    jpeg_set_colorspace(&w->cinfo, JCS_YCbCr);
    w->cinfo.comp_info[0].h_samp_factor = 2;
    w->cinfo.comp_info[0].v_samp_factor = 2;
    for (int c = 1; c < 3; ++c) {
        w->cinfo.comp_info[c].h_samp_factor = 1;
        w->cinfo.comp_info[c].v_samp_factor = 1;
    }
    jpeg_set_quality(&w->cinfo, 75, TRUE);
    jpeg_start_compress(&w->cinfo, TRUE);
    return true;
}

bool WriteRow(JpegWriter* w, JSAMPROW row) {
    if (setjmp(w->trap.jump)) return false;
    return jpeg_write_scanlines(&w->cinfo, &row, 1) == 1;
}

bool FinishEncode(JpegWriter* w) {
    if (setjmp(w->trap.jump)) return false;
    jpeg_finish_compress(&w->cinfo);
    return true;
}

}  // namespace

JpegDecoded DecodeJpeg(const std::uint8_t* data, std::size_t size, const JpegLimits& limits) {
    JpegReader reader;
    std::memset(&reader, 0, sizeof reader);
    ReaderRelease release{&reader};
    try {
        return DecodeRows(&reader, limits, data, size);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool EncodeJpeg(const std::uint8_t* rows, std::size_t stride, int width, int height,
                std::vector<std::uint8_t>& out) {
    if (width <= 0 || height <= 0) return false;
    // The output buffer is ours and large enough for any picture of this size at this quality,
    // so the encoder never has to replace it; should it still grow, the final buffer is its.
    const std::size_t capacity =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3 + 65536;
    unsigned char* const own = static_cast<unsigned char*>(std::malloc(capacity));
    if (!own) return false;
    JpegWriter writer;
    std::memset(&writer, 0, sizeof writer);
    writer.buffer = own;
    writer.bufferSize = static_cast<unsigned long>(capacity);
    bool ok = BeginEncode(&writer, width, height);
    for (int y = 0; ok && y < height; ++y) {
        // libjpeg takes rows top first and only reads them.
        auto* row = const_cast<JSAMPLE*>(rows + static_cast<std::size_t>(height - 1 - y) * stride);
        ok = WriteRow(&writer, row);
    }
    ok = ok && FinishEncode(&writer);
    jpeg_destroy_compress(&writer.cinfo);
    if (ok) {
        try {
            out.insert(out.end(), writer.buffer, writer.buffer + writer.bufferSize);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (ok && writer.buffer != own) std::free(writer.buffer);
    std::free(own);
    return ok;
}

bool LoadJpegFile(const std::string& path, SourceDocument& doc, Messages& out) {
    JpegDecoded decoded;
    {
        std::vector<std::uint8_t> bytes;
        const FileReadStatus status = ReadWholeFile(path, bytes);
        if (status != FileReadStatus::Ok) {
            out.push_back(LoadFailureReport(path, status));
            return false;
        }
        decoded = DecodeJpeg(bytes.data(), bytes.size());
    }
    switch (decoded.status) {
        case JpegStatus::Ok:
            break;
        case JpegStatus::Failed:
            out.emplace_back(kJpegOpenError);
            return false;
        case JpegStatus::TooLarge:
            out.emplace_back(kTooLargeMessage);
            return false;
        case JpegStatus::UnsupportedChannels:
            return false;
    }
    doc.PictureWidth = decoded.packet.Width();
    doc.PictureHeight = decoded.packet.Height();
    doc.packet = std::move(decoded.packet);
    return true;
}

bool WriteJpegFile(const WendralState& state, const std::string& path, Messages& out) {
    std::vector<std::uint8_t> file;
    const bool ok =
        EncodeJpeg(state.DestinationStore(), static_cast<std::size_t>(state.DestWidth) * 3,
                   state.DestWidth, state.DestHeight, file) &&
        WriteFileAtomically(path, file.data(), file.size());
    if (!ok) out.emplace_back(kJpegStoreError);
    return ok;
}

}  // namespace wendral
