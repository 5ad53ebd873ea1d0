#pragma once

#include "lcdrender.h"

#include <QImage>
#include <QWidget>

// A one-line character dot-matrix LCD: 5 x 7 dots per position, unlit dots visible, the board
// inside a frame band with optional bevels. Passive: its owner sets the text and colours.
class TLCDLine : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int CellSize READ cellSize WRITE setCellSize)
    Q_PROPERTY(int CellSpace READ cellSpace WRITE setCellSpace)
    Q_PROPERTY(int FrameSize READ frameSize WRITE setFrameSize)
    Q_PROPERTY(qint32 FrameColor READ frameColor WRITE setFrameColor)
    Q_PROPERTY(qint32 BoardColor READ boardColor WRITE setBoardColor)
    Q_PROPERTY(qint32 CellColorOn READ cellColorOn WRITE setCellColorOn)
    Q_PROPERTY(qint32 CellColorOff READ cellColorOff WRITE setCellColorOff)
    Q_PROPERTY(QByteArray Text READ text WRITE setText)
    Q_PROPERTY(bool CharSpace READ charSpace WRITE setCharSpace)
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
    Q_PROPERTY(Lcd::TFrameStyle FrameStyle READ frameStyle WRITE setFrameStyle)
    Q_PROPERTY(Lcd::TFrameHeight FrameHeight READ frameHeight WRITE setFrameHeight)
    Q_PROPERTY(Lcd::TFrameColorStyle FrameColorStyle READ frameColorStyle WRITE setFrameColorStyle)
    Q_PROPERTY(Lcd::TCellShape CellShape READ cellShape WRITE setCellShape)

public:
    using TFrameStyle = Lcd::TFrameStyle;
    using TFrameHeight = Lcd::TFrameHeight;
    using TFrameColorStyle = Lcd::TFrameColorStyle;
    using TCellShape = Lcd::TCellShape;

    explicit TLCDLine(QWidget *parent = nullptr);

    int cellSize() const { return p_.cellSize; }
    int cellSpace() const { return p_.cellSpace; }
    int frameSize() const { return p_.frameSize; }
    TColor frameColor() const { return p_.frameColor; }
    TColor boardColor() const { return p_.boardColor; }
    TColor cellColorOn() const { return p_.cellColorOn; }
    TColor cellColorOff() const { return p_.cellColorOff; }
    const QByteArray &text() const { return p_.text; }
    bool charSpace() const { return p_.charSpace; }
    bool autoSize() const { return p_.autoSize; }
    TFrameStyle frameStyle() const { return p_.frameStyle; }
    TFrameHeight frameHeight() const { return p_.frameHeight; }
    TFrameColorStyle frameColorStyle() const { return p_.frameColorStyle; }
    TCellShape cellShape() const { return p_.cellShape; }

    // Setters store and repaint only on a change; any value is accepted (see Lcd::layout).
    void setCellSize(int v) { change(p_.cellSize, v, true); }
    void setCellSpace(int v) { change(p_.cellSpace, v, true); }
    void setFrameSize(int v) { change(p_.frameSize, v, true); }
    void setFrameColor(TColor v) { change(p_.frameColor, v, false); }
    void setBoardColor(TColor v) { change(p_.boardColor, v, false); }
    void setCellColorOn(TColor v) { change(p_.cellColorOn, v, false); }
    void setCellColorOff(TColor v) { change(p_.cellColorOff, v, false); }
    void setText(const QByteArray &v) { change(p_.text, v, p_.autoSize); }
    void setCharSpace(bool v) { change(p_.charSpace, v, false); }
    void setAutoSize(bool v) { change(p_.autoSize, v, true); }
    void setFrameStyle(TFrameStyle v) { change(p_.frameStyle, v, false); }
    void setFrameHeight(TFrameHeight v) { change(p_.frameHeight, v, false); }
    void setFrameColorStyle(TFrameColorStyle v) { change(p_.frameColorStyle, v, false); }
    void setCellShape(TCellShape v) { change(p_.cellShape, v, false); }

    const Lcd::Props &props() const { return p_; }
    // The off-screen picture of the latest paint.
    const QImage &image() const { return image_; }

signals:
    void clicked();
    void doubleClicked();

protected:
    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    template <typename T> void change(T &field, const T &value, bool affectsSize)
    {
        if (field == value)
            return;
        field = value;
        if (affectsSize)
            requestFit();
        update();
    }
    void requestFit();
    // AutoSize and the minimum size, applied before painting: Qt cannot resize a widget from
    // inside its paint, and the settled picture is the same.
    void fitSize();

    Lcd::Props p_;
    QImage image_;
};
