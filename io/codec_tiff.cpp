// TIFF through libtiff, entirely in memory. Every layout libtiff's RGBA interface understands is
// read band by band, so the working raster stays small whatever the picture's size; the eight
// orientations are applied here while the band is copied out.
#include <tiffio.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

#include "core/limits.h"
#include "core/size_math.h"
#include "io/codec.h"
#include "io/codec_packet24.h"

namespace wendral {
namespace {

constexpr const char* kNotTiff = "Not a TIFF file";
constexpr const char* kTiffTruncated = "TIFF file is truncated";
constexpr const char* kTiffDamaged = "TIFF file is damaged";
constexpr const char* kTiffUnsupported = "This TIFF layout is not supported";
constexpr const char* kTiffHugeStrips = "This TIFF file's strips or tiles are too large to read";
constexpr const char* kTiffNoMemory = "Not enough memory to read this TIFF file";
constexpr const char* kTiffWriteFailed = "The TIFF file could not be written";
constexpr const char* kTiffWriteNoMemory = "Not enough memory to write the TIFF file";

// No single strip, tile or table of a picture we accept needs more; libtiff refuses larger
// allocations, so a few bytes claiming a huge strip cannot take the memory.
constexpr tmsize_t kMaxTiffAllocation = tmsize_t{256} << 20;
// The RGBA raster of one band.
constexpr std::uint64_t kBandBytes = std::uint64_t{16} << 20;

struct TiffReport {
    bool error = false;
    char text[256] = {};
};

int RecordTiffError(TIFF*, void* user, const char*, const char* format, va_list args) {
    auto* report = static_cast<TiffReport*>(user);
    if (!report->error) std::vsnprintf(report->text, sizeof report->text, format, args);
    report->error = true;
    return 1;
}

int IgnoreTiffWarning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// Messages that libtiff sends before a handle exists (or from code that has none) go to the
// process-wide handlers, which would print them.
void SilenceGlobalTiffHandlers() {
    static const bool done = [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
        return true;
    }();
    (void)done;
}

TIFFOpenOptions* MakeTiffOptions(TiffReport& report) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options) return nullptr;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, kMaxTiffAllocation);
    TIFFOpenOptionsSetErrorHandlerExtR(options, RecordTiffError, &report);
    TIFFOpenOptionsSetWarningHandlerExtR(options, IgnoreTiffWarning, nullptr);
    return options;
}

toff_t SeekTo(std::uint64_t& pos, toff_t offset, int whence, std::uint64_t size) {
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = pos;
    else if (whence == SEEK_END)
        base = size;
    else if (whence != SEEK_SET)
        return static_cast<toff_t>(-1);
    const auto target = CheckedAdd(base, offset);
    // libtiff passes negative relative offsets as huge unsigned values; none of them is valid.
    if (!target || *target > (std::uint64_t{1} << 62)) return static_cast<toff_t>(-1);
    pos = *target;
    return pos;
}

int NoMap(thandle_t, void**, toff_t*) {
    return 0;
}
void NoUnmap(thandle_t, void*, toff_t) {}
int CloseNothing(thandle_t) {
    return 0;
}

struct TiffSource {
    const std::uint8_t* data = nullptr;
    std::uint64_t size = 0;
    std::uint64_t pos = 0;
    bool readPastEnd = false;
};

tmsize_t ReadSource(thandle_t handle, void* out, tmsize_t count) {
    auto* src = static_cast<TiffSource*>(handle);
    if (count <= 0) return 0;
    const std::uint64_t left = src->pos < src->size ? src->size - src->pos : 0;
    std::uint64_t n = static_cast<std::uint64_t>(count);
    if (n > left) {
        src->readPastEnd = true;
        n = left;
    }
    if (n) std::memcpy(out, src->data + src->pos, static_cast<std::size_t>(n));
    src->pos += n;
    return static_cast<tmsize_t>(n);
}

tmsize_t RefuseWrite(thandle_t, void*, tmsize_t) {
    return -1;
}

// libtiff reads directly from the bytes it is handed; it only ever reads through a mapping
// opened for reading. (Without a mapping, libtiff 4.5 cannot read uncompressed tiles stored in
// separate planes through its RGBA interface.)
int MapSource(thandle_t handle, void** base, toff_t* size) {
    auto* src = static_cast<TiffSource*>(handle);
    *base = const_cast<std::uint8_t*>(src->data);
    *size = src->size;
    return 1;
}

toff_t SeekSource(thandle_t handle, toff_t offset, int whence) {
    auto* src = static_cast<TiffSource*>(handle);
    return SeekTo(src->pos, offset, whence, src->size);
}

toff_t SourceSize(thandle_t handle) {
    return static_cast<TiffSource*>(handle)->size;
}

bool HasTiffMagic(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t kMagics[4][4] = {
        {'I', 'I', 42, 0}, {'M', 'M', 0, 42}, {'I', 'I', 43, 0}, {'M', 'M', 0, 43}};
    const std::size_t n = size < 4 ? size : 4;
    for (const auto& magic : kMagics)
        if (std::memcmp(data, magic, n) == 0) return true;
    return false;
}

struct TiffCloser {
    TIFF* tif = nullptr;
    ~TiffCloser() {
        if (tif) TIFFClose(tif);
    }
};

struct RgbaImageGuard {
    TIFFRGBAImage image{};
    bool begun = false;
    ~RgbaImageGuard() {
        if (begun) TIFFRGBAImageEnd(&image);
    }
};

// Where the stored pixel (row r, column c) of a W x H grid lands in the picture, for each
// orientation: x = x0 + c * dxc + r * dxr and likewise for y.
struct OrientationMap {
    bool transposed = false;
    std::int64_t x0 = 0, dxc = 1, dxr = 0;
    std::int64_t y0 = 0, dyc = 0, dyr = 1;
};

OrientationMap MapOrientation(int orientation, std::int64_t w, std::int64_t h) {
    OrientationMap m;
    switch (orientation) {
        case ORIENTATION_TOPRIGHT:
            m.x0 = w - 1;
            m.dxc = -1;
            break;
        case ORIENTATION_BOTRIGHT:
            m.x0 = w - 1;
            m.dxc = -1;
            m.y0 = h - 1;
            m.dyr = -1;
            break;
        case ORIENTATION_BOTLEFT:
            m.y0 = h - 1;
            m.dyr = -1;
            break;
        case ORIENTATION_LEFTTOP:
            m = {true, 0, 0, 1, 0, 1, 0};
            break;
        case ORIENTATION_RIGHTTOP:
            m = {true, h - 1, 0, -1, 0, 1, 0};
            break;
        case ORIENTATION_RIGHTBOT:
            m = {true, h - 1, 0, -1, w - 1, -1, 0};
            break;
        case ORIENTATION_LEFTBOT:
            m = {true, 0, 0, 1, w - 1, -1, 0};
            break;
        default:
            break;  // top-left, and any value the tag should not hold
    }
    return m;
}

const char* ReadFailure(const TiffSource& src) {
    return src.readPastEnd ? kTiffTruncated : kTiffDamaged;
}

}  // namespace

DecodedPicture DecodeTiff(const std::uint8_t* data, std::size_t size) {
    if (!data || size == 0 || !HasTiffMagic(data, size)) return DecodeFailure(kNotTiff);
    if (size < 8) return DecodeFailure(kTiffTruncated);
    SilenceGlobalTiffHandlers();

    TiffReport report;
    TiffSource src;
    src.data = data;
    src.size = size;
    TiffCloser file;
    {
        TIFFOpenOptions* options = MakeTiffOptions(report);
        if (!options) return DecodeFailure(kTiffNoMemory);
        file.tif = TIFFClientOpenExt("picture", "r", &src, ReadSource, RefuseWrite, SeekSource,
                                     CloseNothing, SourceSize, MapSource, NoUnmap, options);
        TIFFOpenOptionsFree(options);
    }
    if (!file.tif) return DecodeFailure(ReadFailure(src));
    TIFF* tif = file.tif;

    std::uint32_t width = 0, height = 0;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0)
        return DecodeFailure(kTiffDamaged);
    if (!PictureSizeAllowed(width, height)) return DecodeFailure(kTooLargeMessage);

    const std::uint64_t unitBytes = TIFFIsTiled(tif) ? TIFFTileSize64(tif) : TIFFStripSize64(tif);
    if (unitBytes == 0) return DecodeFailure(kTiffDamaged);
    if (unitBytes > static_cast<std::uint64_t>(kMaxTiffAllocation))
        return DecodeFailure(kTiffHugeStrips);

    char why[1024] = {};
    if (!TIFFRGBAImageOK(tif, why)) return DecodeFailure(kTiffUnsupported);
    RgbaImageGuard rgba;
    if (!TIFFRGBAImageBegin(&rgba.image, tif, 1, why))
        return DecodeFailure(report.error ? kTiffDamaged : kTiffUnsupported);
    rgba.begun = true;
    TIFFRGBAImage& img = rgba.image;
    if (img.width != width || img.height != height) return DecodeFailure(kTiffDamaged);
    // Unassociated alpha would be multiplied into the colours; an identity table keeps each
    // colour as stored, which is what dropping the alpha channel means.
    if (img.UaToAa)
        for (int a = 0; a < 256; ++a)
            for (int v = 0; v < 256; ++v) img.UaToAa[a * 256 + v] = static_cast<std::uint8_t>(v);
    // Asking for the file's own orientation keeps libtiff from flipping; all eight are
    // applied below, including the transposed ones libtiff does not handle.
    img.req_orientation = img.orientation;
    const OrientationMap map = MapOrientation(img.orientation, width, height);
    const std::int64_t pictureWidth = map.transposed ? height : width;
    const std::int64_t pictureHeight = map.transposed ? width : height;

    // Bands follow the strips or tiles so each is decoded once, unless one unit of rows alone
    // would make the raster too large.
    std::uint32_t unitRows = 0;
    if (TIFFIsTiled(tif))
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &unitRows);
    else
        TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unitRows);
    if (unitRows == 0 || unitRows > height) unitRows = height;
    const std::uint64_t rowRasterBytes = std::uint64_t{width} * 4;
    std::uint64_t bandRows = unitRows;
    if (bandRows * rowRasterBytes > kBandBytes) {
        bandRows = kBandBytes / rowRasterBytes;
        if (bandRows == 0) bandRows = 1;
    } else {
        bandRows *= kBandBytes / (bandRows * rowRasterBytes);
    }
    if (bandRows > height) bandRows = height;

    const std::size_t stride = RowStride24(static_cast<int>(pictureWidth));
    std::vector<std::uint32_t> raster;
    try {
        raster.resize(static_cast<std::size_t>(bandRows * width));
    } catch (const std::bad_alloc&) {
        return DecodeFailure(kTiffNoMemory);
    }
    PicturePacket picture;
    for (std::uint64_t first = 0; first < height; first += bandRows) {
        const std::uint64_t rows = first + bandRows > height ? height - first : bandRows;
        img.row_offset = static_cast<int>(first);
        img.col_offset = 0;
        if (!TIFFRGBAImageGet(&img, raster.data(), width, static_cast<std::uint32_t>(rows)) ||
            report.error)
            return DecodeFailure(ReadFailure(src));
        // The picture is allocated only once the first band has been read, so that a few
        // bytes claiming a large picture fail before its memory is taken.
        if (picture.empty()) {
            try {
                picture = MakePicturePacket(static_cast<int>(pictureWidth),
                                            static_cast<int>(pictureHeight), nullptr);
            } catch (const std::bad_alloc&) {
                return DecodeFailure(kTiffNoMemory);
            }
        }
        std::uint8_t* pixels = picture.data() + PicturePacket::kHeaderSize;
        // Packet byte of picture (x, y): (pictureHeight - 1 - y) * stride + 3 * x.
        const auto offsetOf = [&](std::int64_t x, std::int64_t y) {
            return (pictureHeight - 1 - y) * static_cast<std::int64_t>(stride) + 3 * x;
        };
        const std::int64_t stepPerColumn =
            3 * map.dxc - static_cast<std::int64_t>(stride) * map.dyc;
        for (std::uint64_t i = 0; i < rows; ++i) {
            const std::int64_t r = static_cast<std::int64_t>(first + i);
            std::int64_t at = offsetOf(map.x0 + r * map.dxr, map.y0 + r * map.dyr);
            const std::uint32_t* in = raster.data() + i * width;
            for (std::uint32_t c = 0; c < width; ++c, at += stepPerColumn) {
                const std::uint32_t abgr = in[c];
                pixels[at] = static_cast<std::uint8_t>(TIFFGetB(abgr));
                pixels[at + 1] = static_cast<std::uint8_t>(TIFFGetG(abgr));
                pixels[at + 2] = static_cast<std::uint8_t>(TIFFGetR(abgr));
            }
        }
    }
    return DecodedPicture{std::move(picture), {}};
}

namespace {

struct TiffSink {
    std::vector<std::uint8_t>* out = nullptr;
    std::size_t base = 0;  // where the file starts in `out`
    std::uint64_t pos = 0;
    bool noMemory = false;
};

tmsize_t WriteSink(thandle_t handle, void* bytes, tmsize_t count) {
    auto* sink = static_cast<TiffSink*>(handle);
    if (count < 0) return -1;
    const auto end = CheckedAdd(sink->base + sink->pos, static_cast<std::uint64_t>(count));
    if (!end) return -1;
    if (*end > sink->out->size()) {
        try {
            sink->out->resize(static_cast<std::size_t>(*end));
        } catch (...) {
            sink->noMemory = true;
            return -1;
        }
    }
    if (count)
        std::memcpy(sink->out->data() + sink->base + sink->pos, bytes,
                    static_cast<std::size_t>(count));
    sink->pos += static_cast<std::uint64_t>(count);
    return count;
}

tmsize_t ReadSink(thandle_t handle, void* out, tmsize_t count) {
    auto* sink = static_cast<TiffSink*>(handle);
    const std::uint64_t size = sink->out->size() - sink->base;
    if (count <= 0 || sink->pos >= size) return 0;
    std::uint64_t n = static_cast<std::uint64_t>(count);
    if (n > size - sink->pos) n = size - sink->pos;
    std::memcpy(out, sink->out->data() + sink->base + sink->pos, static_cast<std::size_t>(n));
    sink->pos += n;
    return static_cast<tmsize_t>(n);
}

toff_t SeekSink(thandle_t handle, toff_t offset, int whence) {
    auto* sink = static_cast<TiffSink*>(handle);
    return SeekTo(sink->pos, offset, whence, sink->out->size() - sink->base);
}

toff_t SinkSize(thandle_t handle) {
    auto* sink = static_cast<TiffSink*>(handle);
    return sink->out->size() - sink->base;
}

bool WriteTiffPicture(TIFF* tif, const PacketRows24& rows, std::vector<std::uint8_t>& rgb) {
    const auto w = static_cast<std::uint32_t>(rows.width);
    const auto h = static_cast<std::uint32_t>(rows.height);
    if (!TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w) || !TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h) ||
        !TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8) ||
        !TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 3) ||
        !TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB) ||
        !TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG) ||
        !TIFFSetField(tif, TIFFTAG_ORIENTATION, ORIENTATION_TOPLEFT) ||
        !TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW) ||
        !TIFFSetField(tif, TIFFTAG_XRESOLUTION, 72.0) ||
        !TIFFSetField(tif, TIFFTAG_YRESOLUTION, 72.0) ||
        !TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH) ||
        !TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0)))
        return false;
    for (std::uint32_t y = 0; y < h; ++y) {
        const std::uint8_t* in = rows.TopRow(static_cast<int>(y));
        for (std::uint32_t x = 0; x < w; ++x) {
            rgb[3 * x] = in[3 * x + 2];
            rgb[3 * x + 1] = in[3 * x + 1];
            rgb[3 * x + 2] = in[3 * x];
        }
        if (TIFFWriteScanline(tif, rgb.data(), y, 0) < 0) return false;
    }
    return TIFFWriteDirectory(tif) == 1;
}

}  // namespace

std::string EncodeTiff(const PicturePacket& packet, std::vector<std::uint8_t>& out) {
    PacketRows24 rows;
    if (std::string error = ViewPacket24(packet, rows); !error.empty()) return error;
    if (!PictureSizeAllowed(rows.width, rows.height)) return kTooLargeMessage;
    SilenceGlobalTiffHandlers();

    std::vector<std::uint8_t> rgb;
    try {
        rgb.resize(static_cast<std::size_t>(rows.width) * 3);
    } catch (const std::bad_alloc&) {
        return kTiffWriteNoMemory;
    }
    TiffReport report;
    TiffSink sink;
    sink.out = &out;
    sink.base = out.size();
    TIFFOpenOptions* options = MakeTiffOptions(report);
    if (!options) return kTiffWriteNoMemory;
    TIFF* tif = TIFFClientOpenExt("picture", "w", &sink, ReadSink, WriteSink, SeekSink,
                                  CloseNothing, SinkSize, NoMap, NoUnmap, options);
    TIFFOpenOptionsFree(options);
    if (!tif) return sink.noMemory ? kTiffWriteNoMemory : kTiffWriteFailed;
    const bool written = WriteTiffPicture(tif, rows, rgb);
    TIFFClose(tif);
    if (!written || report.error || sink.noMemory) {
        out.resize(sink.base);
        return sink.noMemory ? kTiffWriteNoMemory : kTiffWriteFailed;
    }
    return {};
}

}  // namespace wendral
