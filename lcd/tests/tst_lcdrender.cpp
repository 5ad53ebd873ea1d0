#include "lcdchar.h"
#include "lcdrender.h"

#include <QtTest>

#include <climits>

using namespace Lcd;

namespace {
const QRgb kFace = qRgb(236, 233, 216);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kLight = qRgb(241, 239, 226);
const QRgb kShadow = qRgb(172, 170, 157);
const QRgb kDark = qRgb(113, 112, 103);

// The main window's LCD: 601 x 65, S 5, P 1, F 0.
Props mainLcd(const QByteArray &text, TColor board, TColor off, TColor on)
{
    Props p;
    p.cellSize = 5;
    p.cellSpace = 1;
    p.frameSize = 0;
    p.boardColor = board;
    p.cellColorOff = off;
    p.cellColorOn = on;
    p.text = text;
    return p;
}

bool lit(const QByteArray &text, int r, int j)
{
    const int i = j / 6, k = j % 6;
    if (k == 5 || i >= text.size())
        return false;
    return (LcdChar::row(std::uint8_t(text[i]), r) >> (4 - k)) & 1;
}

QRgb px(const QImage &img, int x, int y) { return img.pixel(x, y) | 0xFF000000u; }
} // namespace

class TstLcdRender : public QObject
{
    Q_OBJECT
private slots:
    void workedExampleLayout()
    {
        const Layout l = layout(mainLcd({}, clAqua, clAqua, clBlack), QSize(601, 65));
        QCOMPARE(l.charWidth, 31);
        QCOMPARE(l.chars, 16);
        QCOMPARE(l.columns, 95);
        QCOMPARE(l.matrixWidth, 569);
        QCOMPARE(l.matrixHeight, 41);
        QCOMPARE(l.h, 16);
        QCOMPARE(l.v, 12);
        QCOMPARE(l.size, QSize(601, 65)); // the minimum size does not apply
    }

    // Every pixel inside the bevels: dot (r, j) covers x = 16+6j..20+6j, y = 12+6r..16+6r,
    // lit exactly where the character generator says; everything else is board.
    void workedExamplePixels_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<qint32>("off");
        QTest::newRow("offline text, aqua") << QByteArray(" QV-274 OFFLINE") << clAqua;
        QTest::newRow("offline text, unlit green") << QByteArray(" QV-274 OFFLINE") << clGreen;
        QTest::newRow("full line, Cyrillic") << QByteArray("F 10.0\xC3\xF6 \xC5\xB8\xA8\x80z~!@") << clGreen;
    }
    void workedExamplePixels()
    {
        QFETCH(QByteArray, text);
        QFETCH(qint32, off);
        const QImage img = paint(mainLcd(text, clAqua, off, clBlack), QSize(601, 65));
        QCOMPARE(img.size(), QSize(601, 65));
        const QRgb board = resolveColour(clAqua), offRgb = resolveColour(off), on = qRgb(0, 0, 0);
        int litCount = 0;
        for (int y = 2; y < 63; ++y) {
            for (int x = 2; x < 599; ++x) {
                QRgb want = board;
                const int j = (x - 16) / 6, r = (y - 12) / 6;
                if (x >= 16 && y >= 12 && (x - 16) % 6 < 5 && (y - 12) % 6 < 5 && j < 95 && r < 7) {
                    want = lit(text, r, j) ? on : offRgb;
                    litCount += want == on;
                }
                if (px(img, x, y) != want)
                    QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
            }
        }
        QVERIFY(litCount > 0);
    }

    void defaultControl()
    {
        const Props p; // as constructed: 156 x 76, S 4, P 1, F 8, Relief, Double, stWindows
        const Layout l = layout(p, QSize(156, 76));
        QCOMPARE(l.chars, 4);
        QCOMPARE(l.columns, 23);
        QCOMPARE(l.matrixWidth, 114);
        QCOMPARE(l.matrixHeight, 34);
        QCOMPARE(l.h, 13);
        QCOMPARE(l.v, 13);
        const QImage img = paint(p, QSize(156, 76));
        struct Expect { int x, y; QRgb c; } const cases[] = {
            {0, 0, kWhite},      {154, 0, kWhite},  {155, 0, kDark},   {0, 74, kWhite},
            {0, 75, kDark},      {155, 75, kDark},  {1, 1, kLight},    {153, 1, kLight},
            {154, 1, kShadow},   {1, 74, kShadow},  {2, 2, kFace},     {7, 7, kFace},
            {5, 40, kFace},      {8, 8, kShadow},   {146, 8, kShadow}, {147, 8, kWhite},
            {8, 67, kWhite},     {8, 66, kShadow},  {9, 9, kDark},     {9, 65, kDark},
            {9, 66, kLight},     {146, 66, kLight}, {146, 9, kLight},  {10, 10, qRgb(0, 0, 0)},
            {8 + 13, 8 + 13, qRgb(0, 128, 0)},      {8 + 13 + 4, 8 + 13, qRgb(0, 0, 0)},
        };
        for (const auto &e : cases)
            QVERIFY2(px(img, e.x, e.y) == e.c, qPrintable(QString("%1,%2").arg(e.x).arg(e.y)));
    }

    void bevelColours_data()
    {
        QTest::addColumn<int>("colorStyle");
        QTest::addColumn<int>("height");
        QTest::addColumn<QList<QRgb>>("want");
        QTest::newRow("stColor on pure green")
            << int(TFrameColorStyle::stColor) << int(TFrameHeight::Double)
            << QList<QRgb>{qRgb(200, 255, 200), qRgb(68, 255, 68), qRgb(0, 186, 0), qRgb(0, 122, 0)};
        QTest::newRow("stWindows on the button face")
            << int(TFrameColorStyle::stWindows) << int(TFrameHeight::Double)
            << QList<QRgb>{kWhite, kLight, kShadow, kDark};
        QTest::newRow("Single: dark shadow is the shadow")
            << int(TFrameColorStyle::stWindows) << int(TFrameHeight::Single)
            << QList<QRgb>{kWhite, kLight, kShadow, kShadow};
    }
    void bevelColours()
    {
        QFETCH(int, colorStyle);
        QFETCH(int, height);
        QFETCH(QList<QRgb>, want);
        Props p;
        p.frameColor = clLime;
        p.frameColorStyle = TFrameColorStyle(colorStyle);
        p.frameHeight = TFrameHeight(height);
        const BevelColours c = Lcd::bevelColours(p);
        QCOMPARE((QList<QRgb>{c.highlight, c.light, c.shadow, c.darkShadow}), want);
    }

    // Frame styles and heights on a 60 x 50 control, F 8 (or 0), at the ring corners.
    void frames_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("frame");
        QTest::addColumn<QList<QPoint>>("points");
        QTest::addColumn<QList<QRgb>>("colours");
        const QRgb black = qRgb(0, 0, 0);
        QTest::newRow("F 0 Relief: sunken rings replace raised")
            << int(TFrameStyle::Relief) << int(TFrameHeight::Double) << 0
            << QList<QPoint>{{0, 0}, {58, 0}, {59, 0}, {0, 49}, {59, 49}, {1, 1}, {57, 1}, {58, 1}, {1, 48}, {2, 2}}
            << QList<QRgb>{kShadow, kShadow, kWhite, kWhite, kWhite, kDark, kDark, kLight, kLight, black};
        QTest::newRow("None: flat band, flat board")
            << int(TFrameStyle::None) << int(TFrameHeight::Double) << 8
            << QList<QPoint>{{0, 0}, {59, 49}, {1, 1}, {7, 7}, {8, 8}, {9, 9}, {51, 41}, {52, 42}}
            << QList<QRgb>{kFace, kFace, kFace, kFace, black, black, black, kFace};
        QTest::newRow("Single: one ring each, raised bottom in shadow")
            << int(TFrameStyle::Relief) << int(TFrameHeight::Single) << 8
            << QList<QPoint>{{0, 0}, {59, 0}, {0, 49}, {1, 1}, {8, 8}, {51, 8}, {9, 9}, {51, 41}}
            << QList<QRgb>{kWhite, kShadow, kShadow, kFace, kShadow, kWhite, black, kWhite};
        QTest::newRow("Lowered: no raised ring")
            << int(TFrameStyle::Lowered) << int(TFrameHeight::Double) << 8
            << QList<QPoint>{{0, 0}, {1, 1}, {8, 8}, {9, 9}, {50, 40}}
            << QList<QRgb>{kFace, kFace, kShadow, kDark, kLight};
        QTest::newRow("Raised: no sunken ring")
            << int(TFrameStyle::Raised) << int(TFrameHeight::Double) << 8
            << QList<QPoint>{{0, 0}, {1, 1}, {59, 49}, {58, 48}, {8, 8}, {9, 9}}
            << QList<QRgb>{kWhite, kLight, kDark, kShadow, black, black};
    }
    void frames()
    {
        QFETCH(int, style);
        QFETCH(int, height);
        QFETCH(int, frame);
        QFETCH(QList<QPoint>, points);
        QFETCH(QList<QRgb>, colours);
        Props p;
        p.frameStyle = TFrameStyle(style);
        p.frameHeight = TFrameHeight(height);
        p.frameSize = frame;
        p.cellSize = 1; // dots stay far from the rings
        p.cellSpace = 0;
        p.cellColorOff = clBlack;
        const QImage img = paint(p, QSize(60, 50));
        QCOMPARE(img.size(), QSize(60, 50));
        for (int i = 0; i < points.size(); ++i)
            QVERIFY2(px(img, points[i].x(), points[i].y()) == colours[i],
                     qPrintable(QString("%1,%2").arg(points[i].x()).arg(points[i].y())));
    }

    void autoSize_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("chars");
        QTest::newRow("three characters") << QByteArray("1.5") << QSize(103, 43) << 3;
        QTest::newRow("empty text") << QByteArray() << QSize(31, 43) << 1;
    }
    void autoSize()
    {
        QFETCH(QByteArray, text);
        QFETCH(QSize, size);
        QFETCH(int, chars);
        Props p = mainLcd(text, clBlack, clGreen, clLime);
        p.autoSize = true;
        for (const QSize from : {QSize(601, 65), QSize(5, 5)}) {
            const Layout l = layout(p, from);
            QCOMPARE(l.size, size);
            QCOMPARE(l.chars, chars);
            QCOMPARE(l.h, 1);
            QCOMPARE(l.v, 1);
        }
        const QImage img = paint(p, QSize(601, 65));
        QCOMPARE(img.size(), size);
        QCOMPARE(px(img, 1, 1), qRgb(0, 128, 0)); // first dot right inside a 1-pixel margin
        QCOMPARE(px(img, 0, 0), kShadow); // F 0 Relief: the sunken ring lies at the edge
    }

    // A 20-pixel-wide control shows no dots on its first paint and grows to 31 x 43; the next
    // paint lays out one position.
    void growsToMinimum()
    {
        const Props p = mainLcd("8", clBlack, clGreen, clLime);
        const QImage first = paint(p, QSize(20, 30));
        QCOMPARE(first.size(), QSize(31, 43));
        for (int y = 2; y < 41; ++y)
            for (int x = 2; x < 29; ++x)
                QCOMPARE(px(first, x, y), qRgb(0, 0, 0));
        const Layout next = layout(p, first.size());
        QCOMPARE(next.chars, 1);
        QCOMPARE(next.size, QSize(31, 43));
        const QImage second = paint(p, first.size());
        QCOMPARE(px(second, 1 + 6, 1), qRgb(0, 255, 0)); // "8" top row 0E: column 1 lit
        QCOMPARE(px(second, 1, 1), qRgb(0, 128, 0));
        QCOMPARE(layout(p, QSize(20, 50)).size, QSize(31, 50)); // taller stays as it is
    }

    void charSpace_data()
    {
        QTest::addColumn<bool>("charSpace");
        QTest::addColumn<int>("shape");
        QTest::newRow("gaps shown, square") << false << int(TCellShape::stSquare);
        QTest::newRow("gaps hidden, square") << true << int(TCellShape::stSquare);
        QTest::newRow("gaps shown, round") << false << int(TCellShape::stRound);
        QTest::newRow("gaps hidden, round") << true << int(TCellShape::stRound);
    }
    void charSpace()
    {
        QFETCH(bool, charSpace);
        QFETCH(int, shape);
        Props p = mainLcd(QByteArray(16, char(0xDB)), clBlack, clGreen, clLime); // Ы: wide glyph
        p.charSpace = charSpace;
        p.cellShape = TCellShape(shape);
        const QImage img = paint(p, QSize(601, 65));
        const QRgb green = qRgb(0, 128, 0), black = qRgb(0, 0, 0), lime = qRgb(0, 255, 0);
        for (int r = 0; r < 7; ++r) {
            for (int j = 5; j < 95; j += 6) {
                int offPixels = 0;
                for (int y = 12 + 6 * r; y < 17 + 6 * r; ++y)
                    for (int x = 16 + 6 * j; x < 21 + 6 * j; ++x) {
                        QVERIFY(px(img, x, y) != lime); // never lit in a gap column
                        offPixels += px(img, x, y) == green;
                    }
                // Hidden gap dots cover the unlit dot completely, whatever its shape.
                QCOMPARE(offPixels > 0, !charSpace);
            }
        }
        // The round dot is inscribed: corners board, centre and edge middles dot.
        const int x = 16 + 6 * 2, y = 12; // dot (0, 2) of Ы is unlit (row 11 = 10001)
        const bool round = TCellShape(shape) == TCellShape::stRound;
        QCOMPARE(px(img, x, y), round ? black : green);
        QCOMPARE(px(img, x + 4, y + 4), round ? black : green);
        QCOMPARE(px(img, x + 2, y + 2), green);
        QCOMPARE(px(img, x + 2, y), green);
        QCOMPARE(px(img, x, y + 2), green);
    }

    void textLengths_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("sameAs");
        QTest::newRow("longer: first 16 shown") << QByteArray("0123456789ABCDEFGHIJ") << QByteArray("0123456789ABCDEF");
        QTest::newRow("shorter: rest unlit") << QByteArray("AB") << QByteArray("AB") + QByteArray(14, ' ');
        QTest::newRow("blank codes show nothing") << QByteArray("\x01\x7F\x90", 3) << QByteArray();
    }
    void textLengths()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, sameAs);
        const QImage a = paint(mainLcd(text, clAqua, clGreen, clBlack), QSize(601, 65));
        const QImage b = paint(mainLcd(sameAs, clAqua, clGreen, clBlack), QSize(601, 65));
        QCOMPARE(a, b);
    }

    // The last character position's glyph is cut at the last column (n from the width).
    void glyphCutAtLastColumn()
    {
        // 61 wide, S 5, P 1, F 0: n = (61+5) div 36 = 1 position; the second "8" is not drawn.
        const QImage one = paint(mainLcd("88", clBlack, clGreen, clLime), QSize(61, 43));
        const QImage ref = paint(mainLcd("8", clBlack, clGreen, clLime), QSize(61, 43));
        QCOMPARE(one, ref);
    }

    // Values outside the model never crash, hang or overflow (UBSan watches the arithmetic).
    void outOfModel_data()
    {
        QTest::addColumn<int>("cell");
        QTest::addColumn<int>("space");
        QTest::addColumn<int>("frame");
        QTest::addColumn<int>("textLength");
        QTest::addColumn<bool>("autoSize");
        QTest::addColumn<QSize>("size");
        QTest::newRow("zero cell, zero space") << 0 << 0 << 0 << 3 << false << QSize(601, 65);
        QTest::newRow("negative cell") << -5 << 1 << 8 << 3 << false << QSize(601, 65);
        QTest::newRow("negative space, cell + space 0") << 1 << -1 << 0 << 3 << false << QSize(601, 65);
        QTest::newRow("negative frame") << 5 << 1 << -10 << 3 << false << QSize(601, 65);
        QTest::newRow("huge everything") << INT_MAX << INT_MAX << INT_MAX << 3 << false << QSize(601, 65);
        QTest::newRow("most negative") << INT_MIN << INT_MIN << INT_MIN << 3 << false << QSize(601, 65);
        QTest::newRow("autosize long text") << 5 << 1 << 0 << 200000 << true << QSize(601, 65);
        QTest::newRow("autosize huge cells") << INT_MAX << 7 << INT_MAX << 100 << true << QSize(1, 1);
        QTest::newRow("tiny control") << 5 << 1 << 0 << 16 << false << QSize(1, 1);
        QTest::newRow("empty control") << 5 << 1 << 0 << 16 << false << QSize(0, 0);
    }
    void outOfModel()
    {
        QFETCH(int, cell);
        QFETCH(int, space);
        QFETCH(int, frame);
        QFETCH(int, textLength);
        QFETCH(bool, autoSize);
        QFETCH(QSize, size);
        Props p;
        p.cellSize = cell;
        p.cellSpace = space;
        p.frameSize = frame;
        p.autoSize = autoSize;
        p.text = QByteArray(textLength, '8');
        const QImage img = paint(p, size);
        QVERIFY(!img.isNull());
        QVERIFY(img.width() >= 1 && img.width() <= kMaxSide);
        QVERIFY(img.height() >= 1 && img.height() <= kMaxSide);
        QCOMPARE(layout(p, img.size()).size, img.size()); // settles after one correction
    }
};

QTEST_APPLESS_MAIN(TstLcdRender)
#include "tst_lcdrender.moc"
