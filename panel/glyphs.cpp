#include "glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

#include <functional>

namespace {

QIcon draw(int side, const std::function<void(QPainter &)> &paint)
{
    QPixmap pm(side, side);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return QIcon(pm);
}

void triangle(QPainter &p, QRectF r, bool up)
{
    QPainterPath path;
    if (up) {
        path.moveTo(r.center().x(), r.top());
        path.lineTo(r.right(), r.bottom());
        path.lineTo(r.left(), r.bottom());
    } else {
        path.moveTo(r.left(), r.top());
        path.lineTo(r.right(), r.top());
        path.lineTo(r.center().x(), r.bottom());
    }
    path.closeSubpath();
    p.fillPath(path, QColor(40, 40, 40));
}

void page(QPainter &p, QRectF r)
{
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
}

} // namespace

QIcon Glyphs::upTriangle()
{
    return draw(16, [](QPainter &p) { triangle(p, QRectF(2, 3, 12, 10), true); });
}

QIcon Glyphs::downTriangle()
{
    return draw(16, [](QPainter &p) { triangle(p, QRectF(2, 3, 12, 10), false); });
}

QIcon Glyphs::upDownTriangles()
{
    return draw(32, [](QPainter &p) {
        triangle(p, QRectF(2, 9, 12, 12), true);
        triangle(p, QRectF(18, 9, 12, 12), false);
    });
}

QIcon Glyphs::redDot()
{
    return draw(16, [](QPainter &p) {
        p.setPen(QPen(QColor(120, 0, 0), 1));
        p.setBrush(QColor(220, 20, 20));
        p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
    });
}

QIcon Glyphs::snowflake()
{
    return draw(16, [](QPainter &p) {
        p.setPen(QPen(QColor(30, 100, 200), 1.5));
        p.translate(8, 8);
        for (int i = 0; i < 3; ++i) {
            p.drawLine(QPointF(0, -7), QPointF(0, 7));
            p.drawLine(QPointF(-2.5, -5.5), QPointF(0, -3.5));
            p.drawLine(QPointF(2.5, -5.5), QPointF(0, -3.5));
            p.drawLine(QPointF(-2.5, 5.5), QPointF(0, 3.5));
            p.drawLine(QPointF(2.5, 5.5), QPointF(0, 3.5));
            p.rotate(60);
        }
    });
}

QIcon Glyphs::twoPages()
{
    return draw(16, [](QPainter &p) {
        page(p, QRectF(1.5, 1.5, 9, 11));
        page(p, QRectF(5.5, 4.5, 9, 11));
    });
}

QIcon Glyphs::twoPagesNumber()
{
    return draw(16, [](QPainter &p) {
        page(p, QRectF(1.5, 1.5, 9, 11));
        page(p, QRectF(5.5, 4.5, 9, 11));
        QFont f;
        f.setPixelSize(5);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(0, 0, 160));
        p.drawText(QRectF(5.5, 4.5, 9, 11), Qt::AlignCenter, "10\n10");
    });
}

QIcon Glyphs::settings()
{
    return draw(16, [](QPainter &p) {
        p.setPen(QPen(QColor(70, 70, 70), 2));
        p.translate(8, 8);
        for (int i = 0; i < 8; ++i) {
            p.drawLine(QPointF(0, 4.5), QPointF(0, 7));
            p.rotate(45);
        }
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(0, 0), 3.8, 3.8);
    });
}

QIcon Glyphs::about()
{
    return draw(16, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 190));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(QPointF(8, 7), QPointF(8, 12));
        p.drawPoint(QPointF(8, 4.3));
    });
}
