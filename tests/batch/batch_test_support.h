#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/picture_packet.h"
#include "core/pixel.h"
#include "tools/batch_session.h"

namespace wendral::testing_batch {

namespace fs = std::filesystem;

// A 24-bit bitmap file whose pixel (x, y), y from the top, is `colour(x, y)`.
inline void WriteBmp(const fs::path& path, int w, int h,
                     const std::function<Bgr(int, int)>& colour) {
    const std::size_t stride = RowStride24(w);
    std::vector<std::uint8_t> f(54 + stride * h, 0);
    auto u32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    f[0] = 'B', f[1] = 'M';
    u32(2, static_cast<std::uint32_t>(f.size()));
    u32(10, 54);
    u32(14, 40);
    u32(18, static_cast<std::uint32_t>(w));
    u32(22, static_cast<std::uint32_t>(h));
    f[26] = 1;
    f[28] = 24;
    u32(34, static_cast<std::uint32_t>(stride * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Bgr c = colour(x, y);
            std::uint8_t* p = &f[54 + stride * static_cast<std::size_t>(h - 1 - y) + 3 * x];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(f.data()), static_cast<std::streamsize>(f.size()));
}

// Pixel (x, y) is red x, green y, blue x + y.
inline void WriteTestBmp(const fs::path& path, int w, int h) {
    WriteBmp(path, w, h, [](int x, int y) {
        return Bgr{static_cast<std::uint8_t>(x + y), static_cast<std::uint8_t>(y),
                   static_cast<std::uint8_t>(x)};
    });
}

inline std::vector<std::uint8_t> Bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Each test works in a directory of its own and runs commands as `-e` text.
class Batch : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("wendral-batch-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string P(const std::string& name) const { return (dir_ / name).string(); }

    int Run(const std::string& commands) {
        std::ostringstream out, err;
        const int rc = batch::RunBatch({"-e", commands}, out, err);
        out_ = out.str();
        err_ = err.str();
        return rc;
    }

    fs::path dir_;
    std::string out_, err_;
};

}  // namespace wendral::testing_batch
