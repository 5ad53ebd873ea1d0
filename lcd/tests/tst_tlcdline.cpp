#include "tlcdline.h"

#include <QMetaEnum>
#include <QMetaProperty>
#include <QtTest>

// Counts the paints Qt asks for.
class CountingLcd : public TLCDLine
{
public:
    using TLCDLine::TLCDLine;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *e) override
    {
        ++paints;
        TLCDLine::paintEvent(e);
    }
};

class TstTLCDLine : public QObject
{
    Q_OBJECT

    static void settle() { QTest::qWait(30); }

private slots:
    void propertiesInOrderWithDefaults()
    {
        TLCDLine lcd;
        QCOMPARE(lcd.size(), QSize(156, 76));
        const QMetaObject *mo = lcd.metaObject();
        const QStringList names = {"CellSize", "CellSpace", "FrameSize", "FrameColor", "BoardColor",
                                   "CellColorOn", "CellColorOff", "Text", "CharSpace", "AutoSize",
                                   "FrameStyle", "FrameHeight", "FrameColorStyle", "CellShape"};
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(QString(mo->property(mo->propertyOffset() + i).name()), names[i]);
        const QVariantList defaults = {4, 1, 8, int(0xFF00000F), 0, 0x00FF00, 0x008000, QByteArray(),
                                       false, false};
        for (int i = 0; i < defaults.size(); ++i)
            QCOMPARE(lcd.property(qPrintable(names[i])), defaults[i]);
        QCOMPARE(lcd.frameStyle(), Lcd::TFrameStyle::Relief);
        QCOMPARE(lcd.frameHeight(), Lcd::TFrameHeight::Double);
        QCOMPARE(lcd.frameColorStyle(), Lcd::TFrameColorStyle::stWindows);
        QCOMPARE(lcd.cellShape(), Lcd::TCellShape::stSquare);
        // Enumerations keep their names and ordinals.
        const QMetaEnum style = QMetaEnum::fromType<Lcd::TFrameStyle>();
        QCOMPARE(QString(style.valueToKey(0)) + style.valueToKey(1) + style.valueToKey(2) + style.valueToKey(3),
                 QString("ReliefNoneLoweredRaised"));
        QCOMPARE(QString(QMetaEnum::fromType<Lcd::TCellShape>().valueToKey(1)), QString("stRound"));
        QCOMPARE(QString(QMetaEnum::fromType<Lcd::TFrameHeight>().valueToKey(1)), QString("Single"));
        QCOMPARE(QString(QMetaEnum::fromType<Lcd::TFrameColorStyle>().valueToKey(1)), QString("stColor"));
        QVERIFY(lcd.testAttribute(Qt::WA_OpaquePaintEvent));
    }

    // A property set to its current value requests no paint; a new value always does.
    void repaintOnlyOnChange_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QVariant>("other");
        QTest::newRow("Text") << QByteArray("Text") << QVariant(QByteArray("F  10.000000 MHz"));
        QTest::newRow("BoardColor") << QByteArray("BoardColor") << QVariant(int(clAqua));
        QTest::newRow("CellColorOn") << QByteArray("CellColorOn") << QVariant(int(clBlack));
        QTest::newRow("CellColorOff") << QByteArray("CellColorOff") << QVariant(int(clSilver));
        QTest::newRow("FrameColor") << QByteArray("FrameColor") << QVariant(int(clLime));
        QTest::newRow("CharSpace") << QByteArray("CharSpace") << QVariant(true);
        QTest::newRow("CellSize") << QByteArray("CellSize") << QVariant(3);
        QTest::newRow("CellShape") << QByteArray("CellShape") << QVariant::fromValue(Lcd::TCellShape::stRound);
        QTest::newRow("FrameStyle") << QByteArray("FrameStyle") << QVariant::fromValue(Lcd::TFrameStyle::None);
    }
    void repaintOnlyOnChange()
    {
        QFETCH(QByteArray, name);
        QFETCH(QVariant, other);
        QWidget top;
        top.resize(700, 100);
        auto *lcd = new CountingLcd(&top);
        lcd->setGeometry(16, 8, 601, 65);
        lcd->setCellSize(5);
        lcd->setFrameSize(0);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        settle();
        QVERIFY(lcd->paints > 0);

        int before = lcd->paints;
        lcd->setProperty(name, lcd->property(name)); // same value
        settle();
        QCOMPARE(lcd->paints, before);

        lcd->setProperty(name, other);
        QCOMPARE(lcd->property(name), other);
        settle();
        QVERIFY(lcd->paints > before);

        before = lcd->paints;
        lcd->setProperty(name, other); // again the same
        settle();
        QCOMPARE(lcd->paints, before);
    }

    // What reaches the screen is the picture the renderer composes, whole.
    void screenShowsTheComposedPicture()
    {
        QWidget top;
        top.resize(640, 90);
        auto *lcd = new TLCDLine(&top);
        lcd->setGeometry(16, 8, 601, 65);
        lcd->setCellSize(5);
        lcd->setFrameSize(0);
        lcd->setBoardColor(clAqua);
        lcd->setCellColorOff(clAqua);
        lcd->setCellColorOn(clBlack);
        lcd->setText(" QV-274 OFFLINE");
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        settle();
        const QImage shown = lcd->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shown, Lcd::paint(lcd->props(), QSize(601, 65)));
        QCOMPARE(lcd->image(), shown);
    }

    // Size corrections happen before the paint: AutoSize follows the text, and a control below
    // the minimum grows to it.
    void sizesItselfBeforePainting()
    {
        QWidget top;
        top.resize(700, 100);
        auto *lcd = new TLCDLine(&top);
        lcd->setCellSize(5);
        lcd->setFrameSize(0);
        lcd->resize(20, 30);
        top.show();
        QVERIFY(QTest::qWaitForWindowExposed(&top));
        settle();
        QCOMPARE(lcd->size(), QSize(31, 43));

        lcd->setAutoSize(true);
        lcd->setText("ABC");
        settle();
        QCOMPARE(lcd->size(), QSize(103, 43));
        lcd->setText("");
        settle();
        QCOMPARE(lcd->size(), QSize(31, 43));
    }
};

QTEST_MAIN(TstTLCDLine)
#include "tst_tlcdline.moc"
