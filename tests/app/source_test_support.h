#pragma once
// Helpers of the source-window tests: picture files written through the project's own
// writers, and the source template of a started application.
#include <QApplication>
#include <QDir>
#include <QString>
#include <functional>

#include "app/source_template.h"
#include "app/source_window.h"
#include "app_test_support.h"
#include "io/save.h"

namespace wendral::app::testing {

inline SourceTemplate& Sources(AppFixture& f) {
    return *static_cast<SourceTemplate*>(f.app().Template(kSourceTemplate));
}

inline Bgr Pattern(int x, int y) {
    return Bgr{std::uint8_t(x * 7), std::uint8_t(y * 11), std::uint8_t(200 - x - y)};
}

// Writes a width x height picture (width a multiple of 4) in the format its name ends in.
inline QString WritePicture(const QDir& dir, const QString& name, int width, int height,
                            const std::function<Bgr(int, int)>& colour = Pattern) {
    WendralState s;
    s.DestWidth = width;
    s.DestHeight = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Bgr c = colour(x, y);
            std::uint8_t* p = s.DestinationStore() + s.DestOffset(x, y);
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    const QString path = dir.filePath(name);
    Messages messages;
    if (!SaveDestination(s, path.toStdString(), FormatFromName(path.toStdString()), messages))
        qFatal("could not write a test picture");
    return path;
}

// Opens `path` through the open command, its dialog answering with the path.
inline bool OpenThroughCommand(AppFixture& f, const QString& path) {
    Sources(f).SetOpenDialog([path] { return std::optional<QString>(path); });
    const bool ran = f.router().Execute(kOpenSource);
    QApplication::processEvents();
    return ran;
}

inline Bgr ShownPixel(const SourceView& v, int x, int y) {
    const std::uint8_t* p = v.Image().At(x, y);
    return Bgr{p[0], p[1], p[2]};
}

// Runs a command with source window `number` active.
inline bool RunInSource(AppFixture& f, int number, int id) {
    f.frame().BringToTop(Sources(f).Frame(number));
    QApplication::processEvents();
    return f.router().Execute(id);
}

}  // namespace wendral::app::testing
