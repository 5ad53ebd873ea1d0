#include "colour.h"
#include "errorbox.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>

class TstToolkit : public QObject
{
    Q_OBJECT
private slots:
    void resolve_data()
    {
        QTest::addColumn<qint32>("colour");
        QTest::addColumn<QRgb>("rgb");
        QTest::newRow("black") << clBlack << qRgb(0, 0, 0);
        QTest::newRow("red in the low byte") << qint32(0xFF) << qRgb(255, 0, 0);
        QTest::newRow("aqua") << clAqua << qRgb(0, 255, 255);
        QTest::newRow("green") << clGreen << qRgb(0, 128, 0);
        QTest::newRow("silver") << clSilver << qRgb(192, 192, 192);
        QTest::newRow("button face") << clBtnFace << qRgb(236, 233, 216);
        QTest::newRow("button face, as stored") << qint32(-16777201) << qRgb(236, 233, 216);
        QTest::newRow("gradient active caption") << clGradientActiveCaption << qRgb(61, 149, 255);
        QTest::newRow("unknown system index") << systemColour(200) << qRgb(0, 0, 0);
        QTest::newRow("other top byte ignored") << qint32(0x01123456) << qRgb(0x56, 0x34, 0x12);
    }
    void resolve()
    {
        QFETCH(qint32, colour);
        QFETCH(QRgb, rgb);
        QCOMPARE(resolveColour(colour), rgb);
    }

    void boxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "Порт занят другой программой" << "Порт занят другой программой.";
        QTest::newRow("already a stop") << "Done." << "Done.";
        QTest::newRow("comma sorts before") << "a," << "a,";
        QTest::newRow("blank sorts before") << "a " << "a ";
        QTest::newRow("question mark sorts after") << "why?" << "why?.";
        QTest::newRow("digit sorts after") << "COM1" << "COM1.";
        QTest::newRow("empty stays empty") << "" << "";
    }
    void boxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, text);
        QCOMPARE(ErrorBox::boxText(message), text);
    }

    void sinkCapturesAndBoxShows()
    {
        QStringList seen;
        ErrorBox::setSink([&](const QString &t) { seen << t; });
        ErrorBox::show("Ошибка записи в порт");
        QCOMPARE(seen, QStringList{"Ошибка записи в порт."});
        ErrorBox::setSink({});

        // Without a sink the real box appears, titled with the application's name.
        QApplication::setApplicationDisplayName("QV-274 Control panel");
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            title = box->windowTitle();
            text = box->text();
            icon = box->icon();
            box->accept();
        });
        ErrorBox::show("x");
        QCOMPARE(title, QString("QV-274 Control panel"));
        QCOMPARE(text, QString("x."));
        QCOMPARE(icon, QMessageBox::Critical);
    }
};

QTEST_MAIN(TstToolkit)
#include "tst_toolkit.moc"
