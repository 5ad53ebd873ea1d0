#pragma once

#include <QDialog>

// The About window: which counter the program serves, where to discuss it, who wrote it.
class TForm3 : public QDialog
{
    Q_OBJECT
public:
    explicit TForm3(QWidget *parent = nullptr);
};
