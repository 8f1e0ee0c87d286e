#include "app/background.h"

#include <QFile>
#include <QPaintEvent>
#include <QPainter>

#include "app/packet_image.h"
#include "core/source_view.h"
#include "io/bmp.h"

namespace wendral::app {

PicturePacket ReadBmpPacketFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    PicturePacket packet = ReadBmpPacket(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                         static_cast<std::size_t>(bytes.size()));
    // A packet whose rows the file does not hold in full is no picture.
    if (!Rows24(packet).valid) return {};
    return packet;
}

bool CBackDoc::Open(const QString& path) {
    PicturePacket packet = ReadBmpPacketFile(path);
    if (packet.empty()) return false;
    packet_ = std::move(packet);
    image_ = PacketImage(packet_);
    return !image_.isNull();
}

void CBackview::Paint(QPainter& painter, const QSize& client) const {
    const QImage& tile = doc_.Image();
    if (tile.isNull()) return;
    const int w = tile.width();
    const int h = tile.height();
    for (int row = 0; row < 100 && row * h < client.height(); ++row)
        for (int column = 0; column < 100 && column * w < client.width(); ++column)
            DrawPicturePacket(painter, QRect(column * w, row * h, w, h), tile, QRect(0, 0, w, h));
}

CChildtwo::CChildtwo(QWidget* parent) : QMdiArea(parent) {
    setBackground(QColor(Qt::darkGray));
}

void CChildtwo::paintEvent(QPaintEvent* event) {
    QMdiArea::paintEvent(event);
    QPainter painter(viewport());
    painter.setClipRegion(event->region());
    view_.Paint(painter, viewport()->size());
}

bool BackgroundTemplate::OpenDocumentFile(const QString& path) {
    if (path.isEmpty()) {
        area_.Document().NewDocument();
        area_.viewport()->update();
        return true;
    }
    const bool ok = area_.Document().Open(path);
    area_.viewport()->update();
    return ok;
}

}  // namespace wendral::app
