#include <gtest/gtest.h>

#include <filesystem>

#include "core/convert24.h"
#include "core/limits.h"
#include "core/pixel.h"
#include "io/file_bytes.h"
#include "io/picture_file.h"
#include "tests/io/picture_builders.h"

namespace wendral {
namespace {

using testfiles::Bytes;

TEST(PictureFormat, IsChosenByTheLastThreeCharactersInAnyCase) {
    const std::pair<const char*, PictureFormat> names[] = {
        {"photo.JPG", PictureFormat::Jpeg}, {"photo.jpeg", PictureFormat::None},
        {"a/b.Bmp", PictureFormat::Bmp},    {"scan.tif", PictureFormat::Tiff},
        {"scan.tiff", PictureFormat::None}, {"x.PNG", PictureFormat::Png},
        {"x.tga", PictureFormat::Tga},      {"x.pcx", PictureFormat::Pcx},
        {"x.gif", PictureFormat::None},     {"png", PictureFormat::Png},
        {"mp", PictureFormat::None},        {"", PictureFormat::None},
    };
    for (auto [name, format] : names) EXPECT_EQ(FormatFromName(name), format) << name;
}

TEST(PictureFormat, TheOneTableGivesBothDialogsFiltersAndTheBatchWords) {
    EXPECT_EQ(SaveFilter(),
              "Bitmap Files (*.bmp)|*.bmp|Jpeg Files (*.jpg)|*.jpg|Png Files (*.png)|*.png|Tif "
              "Files (*.tif)|*.tif|"
              "Tga Files (*.tga)|*.tga|Pcx Files (*.pcx)|*.pcx||");
    EXPECT_EQ(OpenFilter(),
              "Bitmap Files (*.bmp)|*.bmp|Jpeg Files (*.jpg)|*.jpg|Png Files (*.png)|*.png|Tif "
              "Files (*.tif)|*.tif|"
              "Tga Files (*.tga)|*.tga|Pcx Files (*.pcx)|*.pcx|All Files (*.*)|*.*||");
    EXPECT_EQ(FormatExtensions("|"), "bmp|jpg|png|tif|tga|pcx");
    // Batch words match exactly; the save rule compares in any case.
    const std::pair<const char*, int> words[] = {
        {"bmp", 1}, {"pcx", 6}, {"BMP", 0}, {"jpeg", 0}, {"", 0}};
    for (auto [word, index] : words) EXPECT_EQ(FilterIndexOf(word), index) << word;
    for (int i = 1; i <= 6; ++i) {
        const PictureFormatInfo& f = FormatOfFilter(i);
        EXPECT_EQ(FormatInfo(f.format), &f);
        EXPECT_EQ(FormatOfExtension(f.extension), &f);
        EXPECT_EQ(FilterIndexOf(f.extension), i);
    }
    EXPECT_EQ(FormatInfo(PictureFormat::None), nullptr);
}

TEST(LoadPictureFile, FailuresGiveTheirMessagesInOrderAndLeaveTheDocumentAsTheReaderDoes) {
    testfiles::TempDir dir;
    testfiles::BmpFields good = testfiles::Bmp(3, 2, 24);
    good.rows.assign(24, 90);
    testfiles::BmpFields sixteen = testfiles::Bmp(3, 2, 16);
    sixteen.rows.assign(16, 1);
    testfiles::BmpFields wide = testfiles::Bmp(65536, 1, 4);
    wide.palette.resize(16);
    wide.rows.resize(32768);
    testfiles::JpegOptions two;
    two.components = 2;
    Bytes huge =
        testfiles::EncodeTestJpeg(testfiles::JpegOptions{}, testfiles::TestPixels(16, 16, 3));
    testfiles::SetJpegSize(huge, 65000, 4200);
    const std::pair<const char*, Bytes> files[] = {
        {"good.bmp", testfiles::MakeBmp(good)},
        {"bad.bmp", {'B', 'M', 1, 2, 3}},
        {"sixteen.bmp", testfiles::MakeBmp(sixteen)},
        {"wide.bmp", testfiles::MakeBmp(wide)},
        {"bad.jpg", {0xFF, 0xD8, 0xFF, 0xE0, 0, 2}},
        {"two.jpg", testfiles::EncodeTestJpeg(two, Bytes(512, 9))},
        {"huge.jpg", huge},
        {"photo.jpeg", testfiles::EncodeTestJpeg({}, Bytes(768, 9))},
        {"notes.txt", {'h', 'i'}},
        {"bad.png", {0x89, 'P', 'N', 'G', 0}},
    };
    for (const auto& [name, bytes] : files) testfiles::WriteFile(dir / name, bytes);
    std::filesystem::create_directory(dir / "folder.bmp");

    const std::string notFound = LoadFailureReport(dir / "missing.jpg", FileReadStatus::NotFound);
    struct Case {
        std::string name;
        Messages messages;  // an empty first text stands for the codec's own
        bool keepsPicture;
        int sourceCount = 1;
    };
    const Case cases[] = {
        {"notes.txt", {kNotAPictureFile}, true},
        {"photo.jpeg", {kNotAPictureFile}, true},
        {"missing.bmp", {kNotAPictureFile}, true},
        {"folder.bmp", {kNotAPictureFile}, true},
        {"bad.bmp", {kCantLoadFile, kNotAPictureFile}, false},
        {"sixteen.bmp", {kUnsupportedBitmap, kCantLoadFile, kNotAPictureFile}, false},
        {"wide.bmp", {kTooLargeMessage, kNotAPictureFile}, true},
        {"missing.jpg", {notFound, kNotAPictureFile}, true},
        {"bad.jpg", {kJpegOpenError, kNotAPictureFile}, true},
        {"two.jpg", {kNotAPictureFile}, true},
        {"huge.jpg", {kTooLargeMessage, kNotAPictureFile}, true},
        {"bad.png", {"", kNotAPictureFile}, true},
        {"missing.png",
         {LoadFailureReport(dir / "missing.png", FileReadStatus::NotFound), kNotAPictureFile},
         true},
        {"good.bmp", {kTwoSourcesMessage}, true, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SourceDocument doc;
        doc.packet = MakePicturePacket(4, 4, nullptr);
        doc.PictureWidth = 9;
        doc.PictureHeight = 7;
        Messages out;
        EXPECT_FALSE(LoadPictureFile(dir / c.name, c.sourceCount, doc, out));
        EXPECT_EQ(doc.SourcePath, dir / c.name);
        ASSERT_EQ(out.size(), c.messages.size());
        for (std::size_t i = 0; i < out.size(); ++i) {
            if (c.messages[i].empty())
                EXPECT_FALSE(out[i].empty());
            else
                EXPECT_EQ(out[i], c.messages[i]);
        }
        EXPECT_EQ(doc.packet, c.keepsPicture ? MakePicturePacket(4, 4, nullptr) : PicturePacket());
        EXPECT_EQ(doc.PictureWidth, 9);
        EXPECT_EQ(doc.PictureHeight, 7);
    }
}

TEST(LoadPictureFile, EveryFormatGivesA24BitPacketOfTheFilesPixels) {
    if (!testfiles::HavePillow()) GTEST_SKIP() << "needs Pillow";
    testfiles::TempDir dir;
    const int w = 37, h = 23;
    testfiles::WritePpm(dir / "in.ppm", {w, h, testfiles::TestPixels(w, h, 3)});
    std::string script = "from PIL import Image; im = Image.open('" + dir / "in.ppm" + "'); ";
    std::vector<std::string> names = {"photo.JPG"};
    script += "im.save('" + dir / "photo.JPG" + "', 'JPEG'); ";
    for (const char* ext : {"bmp", "png", "tif", "tga", "pcx"}) {
        for (const char* mode : {"RGB", "P"}) {
            const std::string name = std::string(mode) + "." + ext;
            script += "im.convert('" + std::string(mode) + "').save('" + dir / name + "'); ";
            names.push_back(name);
        }
    }
    ASSERT_TRUE(testfiles::Run(std::string(testfiles::kPillow) + " -c \"" + script + "\""));
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(testfiles::Run(std::string(testfiles::kPillow) +
                                   " -c \"from PIL import Image; Image.open('" + dir / name +
                                   "').convert('RGB').save('" + dir / (name + ".ppm") + "')\""));
        const testfiles::Ppm ref = testfiles::ReadPpm(dir / (name + ".ppm"));
        SourceDocument doc;
        Messages out;
        const PictureLoadResult loaded = LoadPictureFile(dir / name, 1, doc, out);
        ASSERT_TRUE(loaded) << (out.empty() ? "" : out[0]);
        EXPECT_TRUE(out.empty());
        // Only the bitmap reader records the path, which a reload's title shows.
        EXPECT_EQ(loaded.pathRecorded, name.ends_with(".bmp"));
        const PicturePacket& p = doc.packet;
        ASSERT_EQ(p.BitsPerPixel(), 24);
        ASSERT_EQ(p.Width(), w);
        ASSERT_EQ(p.Height(), h);
        EXPECT_EQ(doc.PictureWidth, w);
        EXPECT_EQ(doc.PictureHeight, h);
        ASSERT_GE(p.size(), p.PixelBitsOffset() + RowStride24(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const std::uint8_t* q =
                    p.data() + p.PixelBitsOffset() + RowStride24(w) * (h - 1 - y) + 3 * x;
                const std::uint8_t* r = ref.rgb.data() + (y * w + x) * 3;
                ASSERT_EQ((Bgr{q[0], q[1], q[2]}), (Bgr{r[2], r[1], r[0]})) << x << "," << y;
            }
    }
}

}  // namespace
}  // namespace wendral
