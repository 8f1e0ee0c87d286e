#include "app_test_support.h"

#include <QAction>
#include <QApplication>
#include <QTest>

#include "core/sources.h"

namespace wendral::app::testing {

AppFixture::AppFixture(QString dataDirectory) {
    startupMessages_ = std::make_unique<ScopedMessageHook>();
    CWendralApp::Options options;
    options.dataDirectory = std::move(dataDirectory);
    options.screen = QSize(1280, 1024);
    app_ = std::make_unique<CWendralApp>(options);
    app_->InitInstance();
    startupMessages_.reset();
    QApplication::setActiveWindow(app_->MainFrame());
    ActivateDestination();
    app_->MainFrame()->RunIdleUpdate();
}

AppFixture::~AppFixture() {
    // The views reach the state through SourceViews: detach them before the state goes.
    for (int n = 1; n <= 2; ++n) state().SourceViews[n] = nullptr;
    state().SourceCount = 0;
    app_.reset();
    sources_.clear();
}

PictureLoader PictureOf(int width, int height, std::function<Bgr(int, int)> colour) {
    return [=](const std::string&, int, SourceDocument& doc, Messages&) {
        doc.packet = MakePicturePacket(width, height, nullptr);
        std::uint8_t* bits = doc.packet.data() + PicturePacket::kHeaderSize;
        const std::size_t stride = RowStride24(width);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const Bgr c = colour(x, y);
                std::uint8_t* p =
                    bits + stride * static_cast<std::size_t>(height - 1 - y) + 3 * std::size_t(x);
                p[0] = c.b;
                p[1] = c.g;
                p[2] = c.r;
            }
        doc.PictureWidth = width;
        doc.PictureHeight = height;
        doc.SourcePath = "test.bmp";
        return PictureLoadResult{true, true};
    };
}

SourceView& AppFixture::AddSource(int width, int height, std::function<Bgr(int, int)> colour) {
    auto source = std::make_unique<SourceView>();
    source->SetClientSize(width, height);
    const SourceOutcome outcome = OpenSource(state(), zone(), *source, "test.bmp",
                                             PictureOf(width, height, std::move(colour)));
    if (!outcome.keepWindow) qFatal("the test source was not kept");
    view().DropStartupHelp();
    sources_.push_back(std::move(source));
    frame().RunIdleUpdate();
    return *sources_.back();
}

SourceView& AppFixture::AddSource(int width, int height, Bgr colour) {
    return AddSource(width, height, [colour](int, int) { return colour; });
}

void AppFixture::ActivateDestination() {
    frame().BringToTop(app_->DestFrame());
    QApplication::processEvents();
}

void AppFixture::Drag(QPoint from, QPoint to, Qt::MouseButton button) {
    QTest::mousePress(&view(), button, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), view().mapToGlobal(QPointF(to)), Qt::NoButton,
                     button, Qt::NoModifier);
    QApplication::sendEvent(&view(), &move);
    QTest::mouseRelease(&view(), button, Qt::NoModifier, to);
}

void AppFixture::Click(QPoint at, Qt::MouseButton button) {
    QTest::mousePress(&view(), button, Qt::NoModifier, at);
    QTest::mouseRelease(&view(), button, Qt::NoModifier, at);
}

bool AppFixture::Enabled(int id) {
    router().Refresh();
    return router().Action(id)->isEnabled();
}

bool AppFixture::Checked(int id) {
    router().Refresh();
    return router().Action(id)->isChecked();
}

}  // namespace wendral::app::testing
