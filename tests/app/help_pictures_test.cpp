// The example pictures of the help pages are made by the engine itself: each page picture
// must be what the engine makes now from the two example sources. Run with
// WENDRAL_WRITE_HELP_PICTURES=1 to write them into data/help/pictures instead (then commit
// them).
#include <QDir>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/distortion_engine.h"
#include "core/effect_commands.h"
#include "core/merge.h"
#include "core/merge_ops.h"
#include "core/rotate.h"
#include "core/zone_forming.h"
#include "io/picture_file.h"
#include "io/save.h"

using namespace wendral;

namespace {

constexpr int kWidth = 128;
constexpr int kHeight = 96;

// A picture as a source window shows it: the whole grid, white beyond the picture.
struct ExampleSource {
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(kSourceStride * kMaxHeight, 255);
    SourceImage Image() const { return SourceImage{pixels.data(), kWidth, kHeight}; }
    void Fill(const std::function<Bgr(int, int)>& colour) {
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const Bgr c = colour(x, y);
                std::uint8_t* p =
                    pixels.data() + kSourceStride * std::size_t(y) + 3 * std::size_t(x);
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
            }
    }
};

int Mix(int from, int to, int t, int steps) {
    return from + (to - from) * t / steps;
}

// Source 1: an evening sky, a sun and a hill.
Bgr Landscape(int x, int y) {
    const int dx = x - 86, dy = y - 30;
    if ((x - 40) * (x - 40) / 60 + 64 < y)
        return Bgr{40, std::uint8_t(Mix(110, 70, y - 60, 36)), 30};
    if (dx * dx + dy * dy <= 16 * 16) return Bgr{170, 235, 255};
    return Bgr{std::uint8_t(Mix(200, 90, y, 70)), std::uint8_t(Mix(90, 170, y, 70)),
               std::uint8_t(Mix(60, 245, y, 70))};
}

// Source 2: tiles with a ring over them.
Bgr Tiles(int x, int y) {
    const int dx = x - 64, dy = y - 48;
    const int r2 = dx * dx + dy * dy;
    if (r2 >= 26 * 26 && r2 <= 36 * 36) return Bgr{170, 40, 200};
    if (((x / 16) + (y / 16)) % 2 == 0) return Bgr{235, 232, 228};
    return Bgr{150, 140, 30};
}

// The distortions are shown on a grid of coloured cells, where every bend shows.
Bgr Grid(int x, int y) {
    if (x % 12 == 0 || y % 12 == 0) return Bgr{90, 40, 30};
    const int cx = x / 12, cy = y / 12;
    return Bgr{std::uint8_t(200 - (cx * 15) % 150), std::uint8_t(70 + (cy * 37) % 180),
               std::uint8_t(60 + (cx * 25) % 190)};
}

struct Picture {
    std::string name;
    // Makes the picture in the destination of `state`.
    std::function<void(WendralState&, Zone&)> make;
};

const ExampleSource& Source(Bgr (*colour)(int, int)) {
    static std::vector<std::pair<Bgr (*)(int, int), std::unique_ptr<ExampleSource>>> made;
    for (const auto& [c, s] : made)
        if (c == colour) return *s;
    auto source = std::make_unique<ExampleSource>();
    source->Fill(colour);
    made.emplace_back(colour, std::move(source));
    return *made.back().second;
}

void MergeOf(WendralState& state, Zone& zone, unsigned mode, Bgr (*one)(int, int),
             Bgr (*two)(int, int)) {
    state.MergeMode = mode;
    Messages messages;
    MergeSources(state, zone, Source(one).Image(), Source(two).Image(), messages);
}

void Copy(WendralState& state, Zone& zone, Bgr (*colour)(int, int)) {
    MergeOf(state, zone, kMergeCopy1Bit, colour, colour);
}

Picture Distorted(const char* name, Distortion key, int presses, Bgr (*picture)(int, int) = Grid) {
    return {name, [key, presses, picture](WendralState& state, Zone& zone) {
                Copy(state, zone, picture);
                FormZone(state, zone, Point{16, 6}, Point{112, 90});
                DistortionEngine engine;
                engine.Press(key, state, zone, {}, presses);
            }};
}

Picture Effect(const char* batchName) {
    return {std::string("effect_") + batchName, [batchName](WendralState& state, Zone& zone) {
                Copy(state, zone, Landscape);
                Messages out;
                RunEffectCommand(state, zone, *FindEffectCommand(batchName), out);
            }};
}

std::vector<Picture> Pictures() {
    std::vector<Picture> pictures{
        {"source_1", [](WendralState& s, Zone& z) { Copy(s, z, Landscape); }},
        {"source_2", [](WendralState& s, Zone& z) { Copy(s, z, Tiles); }},
        {"grid", [](WendralState& s, Zone& z) { Copy(s, z, Grid); }},
    };
    for (const MergeRule& rule : kMergeRules)
        pictures.push_back(
            {std::string("merge_") + rule.batchName,
             [bit = rule.bit](WendralState& s, Zone& z) { MergeOf(s, z, bit, Landscape, Tiles); }});
    pictures.push_back({"contrast_bw", [](WendralState& s, Zone& z) {
                            MergeOf(s, z, kMergeAverageBit | kContrastBwBit, Landscape, Tiles);
                        }});
    pictures.push_back({"contrast_rgb", [](WendralState& s, Zone& z) {
                            MergeOf(s, z, kMergeAverageBit | kContrastRgbBit, Landscape, Tiles);
                        }});
    pictures.push_back(Distorted("nudge_up", Distortion::NudgeUpward, 12));
    pictures.push_back(Distorted("nudge_right", Distortion::NudgeRight, 12));
    pictures.push_back(Distorted("twist_right", Distortion::TwistRight, 3));
    pictures.push_back(Distorted("implode", Distortion::Implode, 4));
    pictures.push_back(Distorted("explode", Distortion::Explode, 4));
    pictures.push_back(Distorted("converge", Distortion::Converge, 8, Landscape));
    pictures.push_back(Distorted("diverge", Distortion::Diverge, 4, Landscape));
    for (const EffectCommand& effect : kEffectCommands) pictures.push_back(Effect(effect.name));
    pictures.push_back({"tone", [](WendralState& s, Zone& z) {
                            Copy(s, z, Landscape);
                            ToneCommand(s, z, 160, 150, 128, 96, 96, 64, 80);
                        }});
    pictures.push_back({"special", [](WendralState& s, Zone& z) {
                            Copy(s, z, Landscape);
                            SpecialCommand(s, z, 4, 2, 2, 6, 1);
                        }});
    pictures.push_back({"rotate", [](WendralState& s, Zone& z) {
                            Copy(s, z, Landscape);
                            Messages messages;
                            RotateCommand(s, z, 30, messages);
                        }});
    return pictures;
}

QString PicturePath(const std::string& name) {
    return QStringLiteral(WENDRAL_SOURCE_DIR "/data/help/pictures/%1.png")
        .arg(QString::fromStdString(name));
}

}  // namespace

class HelpPicturesTest : public QObject {
    Q_OBJECT
  private slots:
    void everyPagePictureIsWhatTheEngineMakesNow() {
        const bool write = qEnvironmentVariableIntValue("WENDRAL_WRITE_HELP_PICTURES") != 0;
        if (write) QDir().mkpath(QStringLiteral(WENDRAL_SOURCE_DIR "/data/help/pictures"));
        for (const Picture& picture : Pictures()) {
            WendralState state;
            Zone zone;
            picture.make(state, zone);
            QCOMPARE(state.DestWidth, kWidth);
            QCOMPARE(state.DestHeight, kHeight);
            const std::string path = PicturePath(picture.name).toStdString();
            Messages messages;
            if (write) QVERIFY(SaveDestination(state, path, PictureFormat::Png, messages));
            SourceDocument stored;
            QVERIFY2(
                LoadPictureFile(path, 1, stored, messages).loaded,
                qPrintable(QStringLiteral("%1: run with WENDRAL_WRITE_HELP_PICTURES=1 to make it")
                               .arg(path.c_str())));
            QCOMPARE(stored.PictureWidth, kWidth);
            QCOMPARE(stored.PictureHeight, kHeight);
            const std::uint8_t* rows = stored.packet.data() + PicturePacket::kHeaderSize;
            QVERIFY2(std::equal(state.DestinationStore(),
                                state.DestinationStore() + state.DestBytes(), rows),
                     picture.name.c_str());
        }
    }
};

QTEST_GUILESS_MAIN(HelpPicturesTest)
#include "help_pictures_test.moc"
