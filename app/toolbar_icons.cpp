#include "app/toolbar_icons.h"

#include <QAction>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolBar>

#include "app/command_router.h"
#include "app/commands.h"

namespace wendral::app {
namespace {

// An arrow from the centre towards (dx, dy).
void Arrow(QPainter& p, const QRectF& r, double dx, double dy) {
    const QPointF c = r.center();
    const double len = std::min(r.width(), r.height()) * 0.42;
    const QPointF tip = c + QPointF(dx * len, dy * len);
    const QPointF tail = c - QPointF(dx * len, dy * len);
    p.drawLine(tail, tip);
    const QPointF side(-dy * len * 0.55, dx * len * 0.55);
    const QPointF back = tip - QPointF(dx * len * 0.6, dy * len * 0.6);
    QPainterPath head;
    head.moveTo(tip);
    head.lineTo(back + side);
    head.lineTo(back - side);
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
}

void Text(QPainter& p, const QRectF& r, const QString& text) {
    QFont f = p.font();
    f.setPixelSize(static_cast<int>(r.height() * 0.72));
    f.setBold(true);
    p.setFont(f);
    p.drawText(r, Qt::AlignCenter, text);
}

}  // namespace

QIcon CommandIcon(int id, const QSize& size) {
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    p.setPen(QPen(QColor(20, 40, 110), 1.6));
    switch (id) {
        case kNudgeDownward: Arrow(p, r, 0, 1); break;
        case kNudgeUpward: Arrow(p, r, 0, -1); break;
        case kNudgeLeft: Arrow(p, r, -1, 0); break;
        case kNudgeRight: Arrow(p, r, 1, 0); break;
        case kTwistLeft:
        case kTwistRight: {
            const QRectF arc = r.adjusted(3, 3, -3, -3);
            p.drawArc(arc, 30 * 16, 280 * 16);
            Text(p, r, id == kTwistLeft ? "<" : ">");
            break;
        }
        case kImplode: Text(p, r, "><"); break;
        case kExplode: Text(p, r, "<>"); break;
        case kDiverge: Text(p, r, "D"); break;
        case kConverge: Text(p, r, "C"); break;
        case kPortion1: Text(p, r, "p1"); break;
        case kPortion2: Text(p, r, "p2"); break;
        case kMergeSources: Text(p, r, "M"); break;
        case kDestinationToSource1: Text(p, r, ">1"); break;
        case kDestinationToSource2: Text(p, r, ">2"); break;
        case kFlip: Text(p, r, "|"); Arrow(p, r.adjusted(0, 4, 0, -4), 1, 0); break;
        case kEnableBrushing: Text(p, r, "B"); break;
        case kDisableBrushing: Text(p, r, "b"); break;
        case kLockDestination: Text(p, r, "L"); break;
        case kRestoreDestination: Text(p, r, "R"); break;
        case kWhatNow: Text(p, r, "?"); break;
        case kSetScale: Text(p, r, "x,y"); break;
        case kTopLeftJustify: Text(p, r, "TL"); break;
        case kSynchroniseSize: Text(p, r, "=="); break;
        case kScaleToFit: Text(p, r, "Fit"); break;
        case kEmptySource: Text(p, r, "Clr"); break;
        case kExplainButtons: Text(p, r, "?"); break;
        default: break;
    }
    return QIcon(pixmap);
}

void FillToolBar(QToolBar& bar, const CommandRouter& router, std::span<const int> ids, const QSize& size) {
    bar.setIconSize(size);
    for (int id : ids) {
        if (id == 0) {
            bar.addSeparator();
            continue;
        }
        QAction* action = router.Action(id);
        if (!action) continue;
        if (action->icon().isNull()) action->setIcon(CommandIcon(id, size));
        bar.addAction(action);
    }
}

}  // namespace wendral::app
