#pragma once
#include <QImage>
#include <QMdiArea>

#include "app/doc_template.h"
#include "core/picture_packet.h"

namespace wendral::app {

// The background picture's document: one packet, empty at first.
class CBackDoc {
  public:
    bool Open(const QString& path);  // false for a missing or unreadable BMP file
    void NewDocument() {
        packet_.reset();
        image_ = QImage();
    }
    const PicturePacket& Packet() const { return packet_; }
    const QImage& Image() const { return image_; }

  private:
    PicturePacket packet_;
    QImage image_;  // the packet as drawn
};

// Paints the background picture as tiles of its own size from the top-left corner, at most
// 100 rows and 100 columns; without a picture it paints nothing.
class CBackview {
  public:
    explicit CBackview(const CBackDoc& doc) : doc_(doc) {}
    void Paint(QPainter& painter, const QSize& client) const;

  private:
    const CBackDoc& doc_;
};

// The area of the main frame that holds the sub-windows. Its viewport is the background
// window: it lies behind every sub-window, covers the whole client area at every size and can
// never be activated.
class CChildtwo : public QMdiArea {
    Q_OBJECT
  public:
    explicit CChildtwo(QWidget* parent = nullptr);
    CBackDoc& Document() { return doc_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    CBackDoc doc_;
    CBackview view_{doc_};
};

// Template 8: opens the background picture into the area's document.
class BackgroundTemplate : public DocTemplate {
  public:
    explicit BackgroundTemplate(CChildtwo& area)
        : DocTemplate(kBackgroundTemplate, "Background picture"), area_(area) {}
    bool OpenDocumentFile(const QString& path) override;

  private:
    CChildtwo& area_;
};

// Reads a BMP file into a packet as the documents open their files: everything after the
// 14-byte file header. A missing file, one that does not start with "BM", or one shorter than
// its headers and rows need gives an empty packet.
PicturePacket ReadBmpPacketFile(const QString& path);

}  // namespace wendral::app
