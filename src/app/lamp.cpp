// Signal lamp drawing.
#include "app/lamp.h"

#include <QPainter>
#include <QRadialGradient>

namespace corvane::app {

Lamp::Lamp(QColor litColour, QWidget* parent) : QWidget(parent), colour_(litColour) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void Lamp::setLit(bool lit) {
    if (lit == lit_)
        return;
    lit_ = lit;
    update();
}

QSize Lamp::sizeHint() const {
    const int side = fontMetrics().height() + 6;
    return {side, side};
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = qMin(width(), height()) - 2;
    const QRectF disc((width() - side) / 2.0, (height() - side) / 2.0, side, side);
    // A dark lamp still shows its colour faintly, as the glass does.
    const QColor base = lit_ ? colour_ : colour_.darker(320);
    QRadialGradient glow(disc.center() - QPointF(side / 5.0, side / 5.0), side * 0.7);
    glow.setColorAt(0, lit_ ? base.lighter(170) : base.lighter(130));
    glow.setColorAt(1, base);
    painter.setPen(QPen(QColor(60, 60, 60), 1));
    painter.setBrush(glow);
    painter.drawEllipse(disc);
}

}  // namespace corvane::app
