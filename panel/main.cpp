#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("panel");
    QApplication::setApplicationDisplayName("QV-274 Control panel");
    TForm1 window;
    window.show();
    return app.exec();
}
