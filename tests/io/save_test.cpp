#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "core/dest_state.h"
#include "io/bmp.h"
#include "io/jpeg.h"
#include "io/picture_file.h"
#include "io/save.h"
#include "tests/io/picture_builders.h"

namespace wendral {
namespace {

using testfiles::Bytes;

void FillDestination(WendralState& s, int w, int h) {
    s.DestWidth = w;
    s.DestHeight = h;
    const Bytes p = testfiles::TestPixels(w, h, 3);
    std::copy(p.begin(), p.end(), s.DestinationStore());
}

TEST(SaveTarget, AKnownExtensionKeepsItsFormatAnyOtherNameGetsTheFilters) {
    struct Case {
        const char* path;
        int filter;
        const char* resolved;
        const char* name;
        PictureFormat format;
    };
    const Case cases[] = {
        {"/d/MyPic.BMP", 3, "/d/MyPic.BMP", "MyPic.BMP", PictureFormat::Bmp},
        {"/d/picture.gif", 1, "/d/picture.gif.bmp", "picture.gif.bmp", PictureFormat::Bmp},
        {"/d/MyPic", 2, "/d/MyPic.jpg", "MyPic.jpg", PictureFormat::Jpeg},
        {"/d/picture.jpg", 1, "/d/picture.jpg", "picture.jpg", PictureFormat::Jpeg},
        {"/d/photo.PNG", 1, "/d/photo.PNG", "photo.PNG", PictureFormat::Png},
        {"/d/scan.tiff", 4, "/d/scan.tiff.tif", "scan.tiff.tif", PictureFormat::Tiff},
        {"/d/photo.jpeg", 6, "/d/photo.jpeg.pcx", "photo.jpeg.pcx", PictureFormat::Pcx},
        {"/d.tga/picture", 5, "/d.tga/picture.tga", "picture.tga", PictureFormat::Tga},
        {"picture", 0, "picture.bmp", "picture.bmp", PictureFormat::Bmp},
        {"picture", 7, "picture.bmp", "picture.bmp", PictureFormat::Bmp},
    };
    for (const Case& c : cases) {
        const SaveTarget t = ResolveSaveTarget(c.path, c.filter);
        EXPECT_EQ(t.path, c.resolved) << c.path;
        EXPECT_EQ(t.name, c.name) << c.path;
        EXPECT_EQ(t.format, c.format) << c.path;
    }
    EXPECT_STREQ(FilterExtension(2), "jpg");
    EXPECT_STREQ(FilterExtension(6), "pcx");
}

TEST(BmpWriter, WritesTheHeaderTableThenTheStoreRows) {
    testfiles::TempDir dir;
    WendralState s;
    FillDestination(s, 644, 10);
    ASSERT_TRUE(WriteBmpFile(s, dir / "out.bmp"));
    const Bytes file = testfiles::ReadFile(dir / "out.bmp");
    ASSERT_EQ(file.size(), 19374u);
    const Bytes header = {
        'B', 'M', 0xAE, 0x4B, 0,    0,    0, 0, 0,  0, 54, 0, 0, 0,         // file header
        40,  0,   0,    0,    0x84, 2,    0, 0, 10, 0, 0,  0, 1, 0, 24, 0,  // size, width, height
        0,   0,   0,    0,    0x78, 0x4B, 0, 0, 0,  0, 0,  0, 0, 0, 0,  0,  // image size 19,320
        0,   0,   0,    0,    0,    0,    0, 0};
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 54), header);
    EXPECT_TRUE(std::equal(file.begin() + 54, file.end(), s.DestinationStore()));

    // A width that is no multiple of 4 still gives rows padded as the header says.
    FillDestination(s, 6, 2);
    ASSERT_TRUE(WriteBmpFile(s, dir / "odd.bmp"));
    SourceDocument doc;
    Messages out;
    ASSERT_TRUE(LoadBmpFile(dir / "odd.bmp", doc, out));
    for (int r = 0; r < 2; ++r)
        EXPECT_TRUE(std::equal(s.DestinationStore() + 18 * r, s.DestinationStore() + 18 * (r + 1),
                               doc.packet.data() + doc.packet.PixelBitsOffset() + 20 * r));

    if (!testfiles::HavePillow()) return;
    FillDestination(s, 644, 10);
    ASSERT_TRUE(testfiles::Run(std::string(testfiles::kPillow) +
                               " -c \"from PIL import Image; Image.open('" + dir / "out.bmp" +
                               "').save('" + dir / "out.ppm" + "')\""));
    const testfiles::Ppm ppm = testfiles::ReadPpm(dir / "out.ppm");
    ASSERT_EQ(ppm.width, 644);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 644; ++x) {
            const std::uint8_t* p = ppm.rgb.data() + (y * 644 + x) * 3;
            const std::uint8_t* q = s.DestinationStore() + s.DestOffset(x, y);
            ASSERT_TRUE(p[0] == q[2] && p[1] == q[1] && p[2] == q[0]) << x << "," << y;
        }
}

// The writer sends the store's rows and their padding straight to the file, in batches of as
// many pieces as one call takes: the file must be the one built whole in memory.
TEST(BmpWriter, WritesTheFileBuiltWholeAtEveryWidth) {
    testfiles::TempDir dir;
    WendralState s;
    const std::pair<int, int> sizes[] = {{644, 10}, {6, 2}, {5, 1536}, {1, 1}, {2048, 1536}};
    for (const auto& [w, h] : sizes) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        FillDestination(s, w, h);
        ASSERT_TRUE(WriteBmpFile(s, dir / "out.bmp"));
        EXPECT_EQ(testfiles::ReadFile(dir / "out.bmp"),
                  BmpFileBytes(s.DestinationStore(), std::size_t{3} * w, w, h));
    }
}

TEST(JpegWriter, WritesBaselineYCbCrSubsampled2x2AtQuality75) {
    testfiles::TempDir dir;
    WendralState s;
    s.DestWidth = 96;
    s.DestHeight = 40;
    for (int y = 0; y < 40; ++y)  // gradients, so that upside-down or mirrored rows show
        for (int x = 0; x < 96; ++x) {
            std::uint8_t* p = s.DestinationStore() + s.DestOffset(x, y);
            p[0] = static_cast<std::uint8_t>(2 * x);
            p[1] = static_cast<std::uint8_t>(5 * y);
            p[2] = static_cast<std::uint8_t>(x + 3 * y);
        }
    Messages out;
    ASSERT_TRUE(WriteJpegFile(s, dir / "out.jpg", out));
    EXPECT_TRUE(out.empty());
    const Bytes file = testfiles::ReadFile(dir / "out.jpg");
    const JpegDecoded d = DecodeJpeg(file.data(), file.size());
    ASSERT_EQ(d.status, JpegStatus::Ok);
    ASSERT_EQ(d.packet.Width(), 96);
    // Rows come back the right way up, within what the compression loses on a smooth picture.
    long total = 0;
    for (std::size_t i = 0; i < s.DestBytes(); ++i)
        total += std::abs(d.packet.data()[40 + i] - s.DestinationStore()[i]);
    EXPECT_LT(static_cast<double>(total) / static_cast<double>(s.DestBytes()), 2.0);

    if (!testfiles::HavePillow()) return;
    // Pillow's reading of the file: the settings, and the same pixels as ours.
    testfiles::WritePpm(dir / "in.ppm", {96, 40, Bytes(96 * 40 * 3, 128)});
    const std::string script =
        "from PIL import Image, JpegImagePlugin as J; a = Image.open('" + dir / "out.jpg" +
        "'); Image.open('" + dir / "in.ppm" + "').save('" + dir / "ref.jpg" +
        "', quality=75, subsampling=2); b = Image.open('" + dir / "ref.jpg" +
        "'); assert a.mode == 'RGB' and [l[1:3] for l in a.layer] == [(2, 2), (1, 1), (1, 1)]; "
        "assert J.get_sampling(a) == 2 and a.quantization == b.quantization and not "
        "a.info.get('progressive'); "
        "a.save('" +
        dir / "out.ppm" + "')";
    ASSERT_TRUE(testfiles::Run(std::string(testfiles::kPillow) + " -c \"" + script + "\""));
    const testfiles::Ppm ppm = testfiles::ReadPpm(dir / "out.ppm");
    ASSERT_EQ(ppm.rgb.size(), s.DestBytes());
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 96; ++x) {
            const std::uint8_t* p = ppm.rgb.data() + (y * 96 + x) * 3;
            const std::uint8_t* q = d.packet.data() + 40 + s.DestOffset(x, y);
            ASSERT_TRUE(p[0] == q[2] && p[1] == q[1] && p[2] == q[0]) << x << "," << y;
        }
}

// Files may grow no further than this while it is in force.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit r = saved_;
        r.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &r);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }

  private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

TEST(Writers, AFailedSaveLeavesTheOldFileAsItWas) {
    testfiles::TempDir dir;
    WendralState s;
    FillDestination(s, 644, 10);
    const Bytes old(3000, 0x5A);
    const PictureFormat formats[] = {PictureFormat::Bmp,  PictureFormat::Jpeg, PictureFormat::Png,
                                     PictureFormat::Tiff, PictureFormat::Tga,  PictureFormat::Pcx};
    for (PictureFormat f : formats) {
        SCOPED_TRACE(static_cast<int>(f));
        const std::string path = dir / "old.pic";
        testfiles::WriteFile(path, old);
        Messages out;
        {
            FileSizeLimit limit(100);  // less than any of the six files needs
            EXPECT_FALSE(SaveDestination(s, path, f, out));
        }
        EXPECT_EQ(testfiles::ReadFile(path), old);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
                  1);  // no stray temporary
        const Messages expected = f == PictureFormat::Bmp    ? Messages{}
                                  : f == PictureFormat::Jpeg ? Messages{kJpegStoreError}
                                                             : Messages{kCodecSaveError};
        EXPECT_EQ(out, expected);

        out.clear();
        EXPECT_FALSE(SaveDestination(s, dir / "missing/folder.pic", f, out));
        EXPECT_EQ(out, expected);
        EXPECT_FALSE(std::filesystem::exists(dir / "missing"));

        ASSERT_TRUE(SaveDestination(s, path, f, out));
        EXPECT_NE(testfiles::ReadFile(path), old);
    }
}

}  // namespace
}  // namespace wendral
