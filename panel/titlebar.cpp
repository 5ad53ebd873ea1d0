#include "titlebar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

TitleBar::TitleBar(QWidget *parent) : QWidget(parent)
{
    setObjectName("TitleBar");
    setFixedHeight(kHeight);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(6, 2, 4, 2);
    row->setSpacing(10);

    auto *info = new QLabel("QV-274 Control panel v1.5    ", this);
    info->setObjectName("TitleInfo");
    info->setFixedSize(154, 21);
    info->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(info);

    items_ = new QHBoxLayout;
    items_->setSpacing(10);
    row->addLayout(items_);
    row->addStretch(1);

    auto button = [this, row](QStyle::StandardPixmap pm, const QString &name) {
        auto *b = new QToolButton(this);
        b->setObjectName(name);
        b->setIcon(style()->standardIcon(pm));
        b->setAutoRaise(true);
        b->setFixedSize(22, 20);
        b->setCursor(Qt::PointingHandCursor);
        row->addWidget(b);
        return b;
    };
    connect(button(QStyle::SP_TitleBarMinButton, "TitleMinimise"), &QToolButton::clicked, this,
            [this] { window()->showMinimized(); });
    connect(button(QStyle::SP_TitleBarCloseButton, "TitleClose"), &QToolButton::clicked, this,
            [this] { window()->close(); });
}

QToolButton *TitleBar::addItem(const QIcon &icon, const QString &hint, const QString &objectName)
{
    auto *b = new QToolButton(this);
    b->setObjectName(objectName);
    b->setIcon(icon);
    b->setIconSize(QSize(16, 16));
    b->setFixedSize(18, 18);
    b->setAutoRaise(true);
    b->setToolTip(hint);
    b->setCursor(Qt::PointingHandCursor);
    items_->addWidget(b);
    return b;
}

void TitleBar::mousePressEvent(QMouseEvent *e)
{
    // The window has no system frame, so the title bar asks the window system to move it.
    if (e->button() == Qt::LeftButton && window()->windowHandle())
        window()->windowHandle()->startSystemMove();
    QWidget::mousePressEvent(e);
}

void TitleBar::mouseDoubleClickEvent(QMouseEvent *e)
{
    e->accept(); // the window cannot be maximised
}

void TitleBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(245, 245, 247));
    g.setColorAt(1, QColor(205, 207, 212));
    p.fillRect(rect(), g);
    p.setPen(QColor(150, 150, 155));
    p.drawLine(0, height() - 1, width(), height() - 1);
}
