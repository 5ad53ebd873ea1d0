#include "tlcdline.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

TLCDLine::TLCDLine(QWidget *parent) : QWidget(parent)
{
    // Every paint covers every pixel, so Qt need not erase behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    resize(156, 76);
}

void TLCDLine::requestFit()
{
    // Posted layout requests are merged by Qt, so a burst of setters fits once.
    QCoreApplication::postEvent(this, new QEvent(QEvent::LayoutRequest));
}

void TLCDLine::fitSize()
{
    const QSize target = Lcd::settledSize(p_, size());
    if (target != size())
        resize(target);
}

bool TLCDLine::event(QEvent *e)
{
    if (e->type() == QEvent::LayoutRequest) {
        fitSize();
        return true;
    }
    return QWidget::event(e);
}

void TLCDLine::showEvent(QShowEvent *e)
{
    fitSize();
    QWidget::showEvent(e);
}

void TLCDLine::paintEvent(QPaintEvent *)
{
    const Lcd::Layout lay = Lcd::layout(p_, size());
    if (lay.size != size())
        requestFit();
    if (image_.size() != size())
        image_ = QImage(size(), QImage::Format_RGB32);
    Lcd::render(image_, p_, lay);
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void TLCDLine::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        emit clicked();
    QWidget::mouseReleaseEvent(e);
}

void TLCDLine::mouseDoubleClickEvent(QMouseEvent *e)
{
    emit doubleClicked();
    QWidget::mouseDoubleClickEvent(e);
}
