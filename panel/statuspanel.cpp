#include "statuspanel.h"

#include <QPainter>

StatusPanel::StatusPanel(int width, QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedWidth(width);
}

void StatusPanel::setText(const QString &text)
{
    if (text == text_)
        return;
    text_ = text;
    update();
}

void StatusPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, 0, width() - 1, 0);
    p.drawLine(0, 0, 0, height() - 1);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(width() - 1, 1, width() - 1, height() - 1);
    p.drawLine(1, height() - 1, width() - 1, height() - 1);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(rect().adjusted(3, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, text_);
}
