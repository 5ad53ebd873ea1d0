#pragma once

#include <QWidget>

// One panel of the status bar: a sunken box with a line of text. It paints only itself and
// only when its text changes, so a clock running many times a second stays cheap.
class StatusPanel : public QWidget
{
    Q_OBJECT
public:
    StatusPanel(int width, QWidget *parent = nullptr);
    void setText(const QString &text);
    const QString &text() const { return text_; }

protected:
    void paintEvent(QPaintEvent *e) override;

private:
    QString text_;
};
