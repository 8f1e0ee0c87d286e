#pragma once
// Picture files made from scratch for the reader tests and the fuzz seeds: BMP files of every
// header and depth, JPEG files through libjpeg with the options the readers must cope with,
// and PPM files for exchanging pixels with independent programs.
#include <unistd.h>

#include <array>
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace wendral::testfiles {

using Bytes = std::vector<std::uint8_t>;

inline void PutLe(Bytes& b, std::size_t at, std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

struct BmpFields {
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    std::vector<std::array<std::uint8_t, 3>> palette;  // blue, green, red
    std::vector<std::uint32_t> masks;                  // after a 40-byte header, inside longer ones
    Bytes rows;                                        // the pixel rows as stored
    std::size_t gap = 0;                       // bytes between the colour table and the rows
    std::optional<std::uint32_t> pixelOffset;  // the file header's, when not the true one
};

inline BmpFields Bmp(std::int32_t width, std::int32_t height, std::uint16_t bits,
                     std::uint32_t headerSize = 40, std::uint32_t compression = 0,
                     std::uint32_t coloursUsed = 0) {
    BmpFields s;
    s.headerSize = headerSize;
    s.width = width;
    s.height = height;
    s.bits = bits;
    s.compression = compression;
    s.coloursUsed = coloursUsed;
    return s;
}

inline Bytes MakeBmp(const BmpFields& s) {
    const std::size_t entry = s.headerSize == 12 ? 3 : 4;
    const std::size_t masksAfter = s.headerSize == 40 ? s.masks.size() * 4 : 0;
    const std::size_t rowsAt = 14 + s.headerSize + masksAfter + s.palette.size() * entry + s.gap;
    Bytes b(rowsAt + s.rows.size(), 0);
    b[0] = 'B';
    b[1] = 'M';
    PutLe(b, 2, b.size(), 4);
    PutLe(b, 10, s.pixelOffset.value_or(static_cast<std::uint32_t>(rowsAt)), 4);
    PutLe(b, 14, s.headerSize, 4);
    if (s.headerSize == 12) {
        PutLe(b, 18, static_cast<std::uint16_t>(s.width), 2);
        PutLe(b, 20, static_cast<std::uint16_t>(s.height), 2);
        PutLe(b, 22, 1, 2);
        PutLe(b, 24, s.bits, 2);
    } else {
        PutLe(b, 18, static_cast<std::uint32_t>(s.width), 4);
        PutLe(b, 22, static_cast<std::uint32_t>(s.height), 4);
        PutLe(b, 26, 1, 2);
        PutLe(b, 28, s.bits, 2);
        PutLe(b, 30, s.compression, 4);
        PutLe(b, 34, s.rows.size(), 4);
        PutLe(b, 46, s.coloursUsed, 4);
    }
    std::size_t at =
        14 + 40;  // masks follow a 40-byte header and sit at the same place in longer ones
    for (std::uint32_t m : s.headerSize >= 40 ? s.masks : std::vector<std::uint32_t>{}) {
        PutLe(b, at, m, 4);
        at += 4;
    }
    at = 14 + s.headerSize + masksAfter;
    for (const auto& c : s.palette) {
        b[at] = c[0];
        b[at + 1] = c[1];
        b[at + 2] = c[2];
        at += entry;
    }
    std::copy(s.rows.begin(), s.rows.end(), b.begin() + static_cast<std::ptrdiff_t>(rowsAt));
    return b;
}

// Rows of `height` x `rowBytes` bytes where byte i of row r is f(r, i).
template <class F>
Bytes MakeRows(int height, std::size_t rowBytes, F f) {
    Bytes rows(static_cast<std::size_t>(height) * rowBytes);
    for (int r = 0; r < height; ++r)
        for (std::size_t i = 0; i < rowBytes; ++i)
            rows[r * rowBytes + i] = static_cast<std::uint8_t>(f(r, i));
    return rows;
}

struct JpegOptions {
    int width = 16;
    int height = 16;
    int components = 3;                // 1 grey, 2 unknown, 3 YCbCr from blue-green-red, 4 inks
    J_COLOR_SPACE stored = JCS_YCbCr;  // for 4 components: JCS_CMYK or JCS_YCCK
    bool adobeMarker = true;           // for 4 components; inks are then written inverted
    bool progressive = false;
    int quality = 90;
    bool fullChroma = false;  // 1 x 1 sampling everywhere
};

struct JpegTestErr {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

[[noreturn]] inline void JpegTestFail(j_common_ptr c) {
    std::longjmp(reinterpret_cast<JpegTestErr*>(c->err)->jump, 1);
}

// `pixels` holds top-down rows of width x components bytes (for 3 components blue, green,
// red; for 4 the inks C, M, Y, K as inks, inverted here when the Adobe marker is written).
inline bool EncodeTestJpegRaw(const JpegOptions* s, unsigned char* pixels, unsigned char** out,
                              unsigned long* size) {
    jpeg_compress_struct c;
    JpegTestErr err;
    c.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = JpegTestFail;
    if (setjmp(err.jump)) {
        jpeg_destroy_compress(&c);
        return false;
    }
    jpeg_create_compress(&c);
    jpeg_mem_dest(&c, out, size);
    c.image_width = static_cast<JDIMENSION>(s->width);
    c.image_height = static_cast<JDIMENSION>(s->height);
    c.input_components = s->components;
    c.in_color_space = s->components == 1   ? JCS_GRAYSCALE
                       : s->components == 3 ? JCS_EXT_BGR
                       : s->components == 4 ? JCS_CMYK
                                            : JCS_UNKNOWN;
    jpeg_set_defaults(&c);
    if (s->components == 4) jpeg_set_colorspace(&c, s->stored);
    if (s->components == 2) jpeg_set_colorspace(&c, JCS_UNKNOWN);
    c.write_Adobe_marker = s->components == 4 && s->adobeMarker;
    if (s->fullChroma)
        for (int i = 0; i < c.num_components; ++i)
            c.comp_info[i].h_samp_factor = c.comp_info[i].v_samp_factor = 1;
    jpeg_set_quality(&c, s->quality, TRUE);
    if (s->progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(s->width) * s->components;
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = pixels + c.next_scanline * rowBytes;
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    return true;
}

inline Bytes EncodeTestJpeg(const JpegOptions& s, Bytes pixels) {
    if (s.components == 4 && s.adobeMarker)
        for (auto& v : pixels) v = static_cast<std::uint8_t>(255 - v);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    Bytes file;
    if (EncodeTestJpegRaw(&s, pixels.data(), &out, &size)) file.assign(out, out + size);
    std::free(out);
    return file;
}

// A smooth picture with some detail, top-down, `components` bytes a pixel.
inline Bytes TestPixels(int width, int height, int components) {
    Bytes p(static_cast<std::size_t>(width) * height * components);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c)
                p[(static_cast<std::size_t>(y) * width + x) * components + c] =
                    static_cast<std::uint8_t>(
                        (x * (3 + c) + y * (5 - c) + ((x / 4 + y / 4) % 2) * 40) % 256);
    return p;
}

// The first scan of a progressive file (its DC scan, which needs nothing decoded before it)
// repeated `times` times more right after itself.
inline Bytes RepeatFirstScan(const Bytes& jpeg, int times) {
    std::size_t start = 0;
    while (start + 1 < jpeg.size() && !(jpeg[start] == 0xFF && jpeg[start + 1] == 0xDA)) ++start;
    std::size_t end = start + 2;
    while (end + 1 < jpeg.size() && !(jpeg[end] == 0xFF && jpeg[end + 1] != 0x00 &&
                                      (jpeg[end + 1] < 0xD0 || jpeg[end + 1] > 0xD7)))
        ++end;
    Bytes out(jpeg.begin(), jpeg.begin() + static_cast<std::ptrdiff_t>(end));
    for (int t = 0; t < times; ++t)
        out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(start),
                   jpeg.begin() + static_cast<std::ptrdiff_t>(end));
    out.insert(out.end(), jpeg.begin() + static_cast<std::ptrdiff_t>(end), jpeg.end());
    return out;
}

// The frame header's size fields, big-endian.
inline void SetJpegSize(Bytes& jpeg, int width, int height) {
    for (std::size_t i = 0; i + 9 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && (jpeg[i + 1] == 0xC0 || jpeg[i + 1] == 0xC2)) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            return;
        }
    }
}

inline void WriteFile(const std::string& path, const Bytes& b) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A binary PPM: width, height and top-down red-green-blue pixels.
struct Ppm {
    int width = 0;
    int height = 0;
    Bytes rgb;
};

inline Ppm ReadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxval = 0;
    Ppm p;
    in >> magic >> p.width >> p.height >> maxval;
    in.get();
    if (magic != "P6" || maxval != 255) return {};
    p.rgb.resize(static_cast<std::size_t>(p.width) * p.height * 3);
    in.read(reinterpret_cast<char*>(p.rgb.data()), static_cast<std::streamsize>(p.rgb.size()));
    return p;
}

inline void WritePpm(const std::string& path, const Ppm& p) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << p.width << ' ' << p.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(p.rgb.data()),
              static_cast<std::streamsize>(p.rgb.size()));
}

// A folder of its own for each test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "wendral-io-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

inline bool Run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

inline const char* kPillow = "/usr/bin/python3";
inline bool HavePillow() {
    return Run(std::string(kPillow) + " -c 'import PIL'");
}
inline bool HaveConvert() {
    return Run("convert -version");
}

}  // namespace wendral::testfiles
