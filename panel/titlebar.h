#pragma once

#include <QWidget>

class QToolButton;

// The window's title bar, drawn by the program: the information text, the clickable icon
// items, and the minimise and close buttons. Dragging it moves the window.
class TitleBar : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kHeight = 26;
    explicit TitleBar(QWidget *parent = nullptr);

    // Adds a 16 x 16 icon item after the existing ones (10 pixels apart).
    QToolButton *addItem(const QIcon &icon, const QString &hint, const QString &objectName);

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;
    void paintEvent(QPaintEvent *e) override;

private:
    class QHBoxLayout *items_;
};
