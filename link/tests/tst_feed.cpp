#include "displayfeed.h"

#include <QtTest>

using Chunks = QList<QByteArray>;
using Lines = QList<QByteArray>;
using Counts = QList<int>;

namespace {
const QByteArray kLine = "F  10.000000 MHz"; // 16 characters, as the counter sends
} // namespace

class TstFeed : public QObject
{
    Q_OBJECT
private slots:
    // Each row is a run of receive events; every event is checked, not only the last.
    void receive_data()
    {
        QTest::addColumn<Chunks>("chunks");
        QTest::addColumn<bool>("hold");
        QTest::addColumn<Lines>("lastLines");
        QTest::addColumn<QByteArray>("shown"); // per event: '1' display line, '0' not
        QTest::addColumn<Counts>("steps");

        QTest::newRow("two lines in one chunk show the second and step once")
            << Chunks{"M  12.345678 kHz\r\n" + kLine + "\r\n"} << false << Lines{kLine}
            << QByteArray("1") << Counts{1};
        QTest::newRow("line before its CR LF is a display line twice")
            << Chunks{kLine, "\r\n"} << false << Lines{kLine, kLine} << QByteArray("11")
            << Counts{0, 1};
        QTest::newRow("CR and LF in different chunks")
            << Chunks{kLine + "\r", "\n"} << false << Lines{kLine + "\r", kLine}
            << QByteArray("11") << Counts{0, 1};
        QTest::newRow("half a line is not shown and does not step")
            << Chunks{kLine + "\r\n", "F  10.00", "0001 MHz\r\n"} << false
            << Lines{kLine, "F  10.00", "F  10.000001 MHz"} << QByteArray("101")
            << Counts{1, 1, 2};
        QTest::newRow("5-character line never shown")
            << Chunks{"ABCDE\r\n"} << false << Lines{"ABCDE"} << QByteArray("0") << Counts{1};
        QTest::newRow("15 characters are not enough")
            << Chunks{"123456789012345\r\n"} << false << Lines{"123456789012345"}
            << QByteArray("0") << Counts{1};
        QTest::newRow("20-character line shown whole")
            << Chunks{"12345678901234567890\r\n"} << false << Lines{"12345678901234567890"}
            << QByteArray("1") << Counts{1};
        QTest::newRow("lone CR and LF are ordinary characters")
            << Chunks{"A\rB\nC"} << false << Lines{"A\rB\nC"} << QByteArray("0") << Counts{0};
        QTest::newRow("a lone LF at the end still steps")
            << Chunks{"0123456789ABCDE\n"} << false << Lines{"0123456789ABCDE\n"}
            << QByteArray("1") << Counts{1};
        QTest::newRow("CR CR LF keeps the first CR")
            << Chunks{"X\r\r\n"} << false << Lines{"X\r"} << QByteArray("0") << Counts{1};
        QTest::newRow("LF CR LF keeps the LF")
            << Chunks{"X\n", "\r\n"} << false << Lines{"X\n", "X\n"} << QByteArray("00")
            << Counts{1, 2};
        QTest::newRow("empty line after a display line")
            << Chunks{kLine + "\r\n\r\n"} << false << Lines{""} << QByteArray("0") << Counts{1};
        QTest::newRow("a new line starts after a final CR LF")
            << Chunks{kLine + "\r\nF"} << false << Lines{"F"} << QByteArray("0") << Counts{0};
        QTest::newRow("empty chunk changes nothing")
            << Chunks{"", kLine + "\r\n", ""} << false << Lines{"", kLine, kLine}
            << QByteArray("011") << Counts{0, 1, 1};
        QTest::newRow("hold keeps the count, not the display")
            << Chunks{kLine + "\r\n", "M  12.345678 kHz\r\n"} << true
            << Lines{kLine, "M  12.345678 kHz"} << QByteArray("11") << Counts{0, 0};
        QTest::newRow("text arriving a byte at a time")
            << Chunks{"AB", "\r", "\n", "C", "\r"} << false << Lines{"AB", "AB\r", "AB", "C", "C\r"}
            << QByteArray("00000") << Counts{0, 0, 1, 1, 1};
    }
    void receive()
    {
        QFETCH(Chunks, chunks);
        QFETCH(bool, hold);
        QFETCH(Lines, lastLines);
        QFETCH(QByteArray, shown);
        QFETCH(Counts, steps);
        QCOMPARE(lastLines.size(), chunks.size());

        DisplayFeed feed;
        for (int i = 0; i < chunks.size(); ++i) {
            const DisplayFeed::Event e = feed.receive(chunks[i], hold);
            QCOMPARE(e.lastLine, lastLines[i]);
            QCOMPARE(feed.lastLine(), lastLines[i]);
            QCOMPARE(e.displayLine, shown[i] == '1');
            QCOMPARE(e.stepCount, steps[i]);
            QCOMPARE(feed.stepCount(), steps[i]);
            QCOMPARE(e.stepped, steps[i] != (i ? steps[i - 1] : 0));
        }
    }

    void stepCountWrapsAndHoldPauses()
    {
        DisplayFeed feed;
        Counts seen;
        for (int i = 0; i < 12; ++i)
            seen << feed.receive(kLine + "\r\n", false).stepCount;
        QCOMPARE(seen, (Counts{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 1, 2}));

        const DisplayFeed::Event held = feed.receive(kLine + "\r\n", true);
        QVERIFY(!held.stepped);
        QCOMPARE(held.stepCount, 2);
        QCOMPARE(feed.receive(kLine + "\r\n", false).stepCount, 3);
    }

    // A device that never sends CR LF must not grow the line without bound, and the pair
    // that finally ends such a line must still be found, even split across chunks.
    void endlessLineStaysBounded_data()
    {
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<qsizetype>("kept");
        QTest::newRow("1 MB") << qsizetype(1 << 20) << DisplayFeed::kMaxLineLength;
        QTest::newRow("one byte over the bound")
            << DisplayFeed::kMaxLineLength + 1 << DisplayFeed::kMaxLineLength;
        QTest::newRow("the bound exactly, CR stored as its last byte")
            << DisplayFeed::kMaxLineLength - 1 << DisplayFeed::kMaxLineLength - 1;
    }
    void endlessLineStaysBounded()
    {
        QFETCH(qsizetype, length);
        QFETCH(qsizetype, kept);

        DisplayFeed feed;
        feed.receive("old line, long enough\r\n", false);
        const QByteArray block(1000, 'x');
        for (qsizetype sent = 0; sent < length; sent += block.size()) {
            const DisplayFeed::Event e = feed.receive(block.left(length - sent), false);
            QVERIFY(e.lastLine.size() <= DisplayFeed::kMaxLineLength);
            QVERIFY(e.displayLine);
        }
        QCOMPARE(feed.lastLine().size(), qMin(length, DisplayFeed::kMaxLineLength));

        feed.receive("\r", false); // the pair arrives split, after the cut
        QVERIFY(!feed.receive("\n", false).lastLine.endsWith('\r'));
        QCOMPARE(feed.lastLine(), QByteArray(kept, 'x'));
        QCOMPARE(feed.stepCount(), 2);

        QCOMPARE(feed.receive(kLine + "\r\n", false).lastLine, kLine);
    }

    void numericPart_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("number");
        QTest::newRow("frequency") << QByteArray("F  10.000000 MHz") << QByteArray("10.000000");
        QTest::newRow("minus sign goes") << QByteArray("-1,5 V") << QByteArray("1,5");
        QTest::newRow("no digits") << QByteArray("MENU") << QByteArray("");
        QTest::newRow("stops and commas kept in order") << QByteArray("1.234,5")
                                                        << QByteArray("1.234,5");
        QTest::newRow("8-bit characters go") << QByteArray("\xC2\xF0\xE5\xEC\xFF 1\xF1")
                                             << QByteArray("1");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void numericPart()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, number);
        QCOMPARE(::numericPart(text), number);
    }
};

QTEST_APPLESS_MAIN(TstFeed)
#include "tst_feed.moc"
