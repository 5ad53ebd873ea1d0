#include "lcdchar.h"

#include <QtTest>

class TstLcdChar : public QObject
{
    Q_OBJECT

    static QList<int> glyph(int code)
    {
        QList<int> rows;
        for (int r = 0; r < LcdChar::kRows; ++r)
            rows << LcdChar::row(std::uint8_t(code), r);
        return rows;
    }

private slots:
    void blankCodes()
    {
        QList<int> blank;
        for (int c = 0; c <= 0x20; ++c)
            blank << c;
        blank << 0x7F;
        for (int c = 0x81; c <= 0xA0; ++c)
            blank << c;
        int lit = 0;
        for (int c = 0; c < 256; ++c) {
            const bool empty = glyph(c) == QList<int>(7, 0);
            QCOMPARE(empty, blank.contains(c));
            lit += !empty;
        }
        QCOMPARE(lit, 190);
    }

    void noRowAboveFiveBits()
    {
        QCOMPARE(int(LcdChar::table().size()), 1792);
        for (int v : LcdChar::table())
            QVERIFY2(v >= 0 && v <= 0x1F, qPrintable(QString::number(v)));
    }

    void knownGlyphs_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QList<int>>("rows");
        QTest::newRow("A") << 0x41 << QList<int>{0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11};
        QTest::newRow("slashed zero") << 0x30 << QList<int>{0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E};
        QTest::newRow("O has no slash") << 0x4F << QList<int>{0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E};
        QTest::newRow("euro") << 0x80 << QList<int>{0x06, 0x09, 0x1C, 0x08, 0x1C, 0x09, 0x06};
        QTest::newRow("Ё") << 0xA8 << QList<int>{0x0A, 0x00, 0x1F, 0x10, 0x1C, 0x10, 0x1F};
        QTest::newRow("я, the last") << 0xFF << QList<int>{0x00, 0x00, 0x0F, 0x11, 0x0F, 0x05, 0x09};
        QTest::newRow("tilde") << 0x7E << QList<int>{0x08, 0x15, 0x02, 0x00, 0x00, 0x00, 0x00};
    }
    void knownGlyphs()
    {
        QFETCH(int, code);
        QFETCH(QList<int>, rows);
        QCOMPARE(glyph(code), rows);
    }

    void lookAlikes_data()
    {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<bool>("same");
        const QList<QPair<int, int>> same = {
            {0x41, 0xC0}, {0x42, 0xC2}, {0x43, 0xD1}, {0x48, 0xCD}, {0x4B, 0xCA}, {0x4D, 0xCC},
            {0x4F, 0xCE}, {0x50, 0xD0}, {0x54, 0xD2}, {0x61, 0xE0}, {0x65, 0xE5}, {0x6F, 0xEE},
            {0x70, 0xF0}, {0x78, 0xF5}, {0x79, 0xF3}, {0x33, 0xC7}, {0x2D, 0xAD}};
        for (const auto &[a, b] : same)
            QTest::addRow("%02X=%02X", a, b) << a << b << true;
        QTest::newRow("E differs from Е") << 0x45 << 0xC5 << false;
        QTest::newRow("zero differs from O") << 0x30 << 0x4F << false;
    }
    void lookAlikes()
    {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(bool, same);
        QCOMPARE(glyph(a) == glyph(b), same);
    }
};

QTEST_APPLESS_MAIN(TstLcdChar)
#include "tst_lcdchar.moc"
