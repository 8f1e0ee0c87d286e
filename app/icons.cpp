#include "app/icons.h"

#include <QApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPixmapCache>
#include <QStyle>
#include <QStyleOption>
#include <QSvgRenderer>
#include <memory>

// The icons are compiled into the application's static library, and nothing refers to their
// object file by name: without this call the linker leaves them out of the program.
static void InitIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace wendral::app {
namespace {

class SvgIconEngine final : public QIconEngine {
  public:
    SvgIconEngine(QString path, std::shared_ptr<QSvgRenderer> renderer)
        : path_(std::move(path)), renderer_(std::move(renderer)) {}

    QIconEngine* clone() const override { return new SvgIconEngine(path_, renderer_); }
    QString key() const override { return QStringLiteral("wendral-svg"); }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        if (size.isEmpty()) return {};
        const QString cacheKey = QStringLiteral("wendral-icon:%1:%2x%3:%4:%5")
                                     .arg(path_)
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(int(mode))
                                     .arg(int(state));
        QPixmap pixmap;
        if (QPixmapCache::find(cacheKey, &pixmap)) return pixmap;
        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            // A drawing keeps its proportions in a box of another shape (a menu's square, say),
            // centred on whole pixels so that its edges stay on the pixel grid.
            const QSize drawn = renderer_->defaultSize().scaled(size, Qt::KeepAspectRatio);
            const QPoint at((size.width() - drawn.width()) / 2,
                            (size.height() - drawn.height()) / 2);
            QPainter painter(&image);
            renderer_->render(&painter, QRectF(at, drawn));
        }
        pixmap = QPixmap::fromImage(std::move(image));
        if (mode != QIcon::Normal) {
            QStyleOption option;
            option.palette = QApplication::palette();
            pixmap = QApplication::style()->generatedIconPixmap(mode, pixmap, &option);
        }
        QPixmapCache::insert(cacheKey, pixmap);
        return pixmap;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal ratio = painter->device()->devicePixelRatio();
        QPixmap pm = pixmap((QSizeF(rect.size()) * ratio).toSize(), mode, state);
        pm.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, pm);
    }

  private:
    QString path_;
    std::shared_ptr<QSvgRenderer> renderer_;
};

}  // namespace

QIcon ResourceIcon(const QString& path) {
    InitIconResources();
    auto renderer = std::make_shared<QSvgRenderer>(path);
    if (!renderer->isValid()) return {};
    return QIcon(new SvgIconEngine(path, std::move(renderer)));
}

QIcon ProgramIcon() {
    return ResourceIcon(QStringLiteral(":/icons/wendral.svg"));
}

}  // namespace wendral::app
