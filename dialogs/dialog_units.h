#pragma once
#include <QFont>
#include <QFontMetrics>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

namespace wendral::app {

// The dialogs' sizes and places were laid out in dialog units: a quarter of the font's average
// character width across, an eighth of its height down. Converted with the font a dialog shows,
// they keep their proportions at any font size and screen scale.
class DialogUnits {
  public:
    explicit DialogUnits(const QWidget& widget) {
        const QFontMetrics metrics = widget.fontMetrics();
        // The average width of the 52 letters, rounded.
        averageWidth_ =
            (metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") /
                 26 +
             1) /
            2;
        height_ = metrics.height();
    }
    // What a window needs across to show `title` whole: the caption is usually set in bold, and
    // the window's icon and buttons share its bar.
    static int TitleWidth(const QWidget& widget, const QString& title) {
        QFont bold = widget.font();
        bold.setBold(true);
        return QFontMetrics(bold).horizontalAdvance(title) + 10 * widget.fontMetrics().height();
    }

    int X(int units) const { return units * averageWidth_ / 4; }
    int Y(int units) const { return units * height_ / 8; }
    QSize Size(int width, int height) const { return QSize(X(width), Y(height)); }
    QPoint Point(int x, int y) const { return QPoint(X(x), Y(y)); }

  private:
    int averageWidth_;
    int height_;
};

}  // namespace wendral::app
