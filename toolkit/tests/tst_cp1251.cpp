#include "cp1251.h"

#include <QSet>
#include <QtTest>

class TstCp1251 : public QObject
{
    Q_OBJECT
private slots:
    // Texts that exist in the code page convert both ways.
    void bothWays_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("ASCII display line") << QByteArray("F  10.000000 MHz") << QStringLiteral("F  10.000000 MHz");
        QTest::newRow("NUL inside") << QByteArray("a\0b", 3) << QString::fromUtf16(u"a\0b", 3);
        QTest::newRow("АБВ") << QByteArray("\xC0\xC1\xC2") << QStringLiteral("АБВ");
        QTest::newRow("яЯ, ends of the alphabet") << QByteArray("\xFF\xDF") << QStringLiteral("яЯ");
        QTest::newRow("Ёё, outside the alphabet block") << QByteArray("\xA8\xB8") << QStringLiteral("Ёё");
        QTest::newRow("euro sign") << QByteArray("\x88") << QStringLiteral("€");
        QTest::newRow("numero sign and no-break space") << QByteArray("\xB9\xA0") << QStringLiteral("№\u00A0");
        QTest::newRow("Ukrainian Ґґ") << QByteArray("\xA5\xB4") << QStringLiteral("Ґґ");
        QTest::newRow("mixed") << QByteArray("\xCE\xF8\xE8\xE1\xEA\xE0 COM1")
                               << QStringLiteral("Ошибка COM1");
    }
    void bothWays()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(Cp1251::toUnicode(bytes), text);
        QCOMPARE(Cp1251::fromUnicode(text), bytes);
    }

    void unassignedByteDecodesToReplacement()
    {
        QCOMPARE(Cp1251::toUnicode(QByteArray("A\x98Z")), QStringLiteral("A\uFFFDZ"));
    }

    // Each character becomes exactly one byte, so positions on the 16-cell display stay put.
    void missingCharactersEncodeAsQuestionMark_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CJK") << QStringLiteral("1日2") << QByteArray("1?2");
        QTest::newRow("Latin with accent") << QStringLiteral("é") << QByteArray("?");
        QTest::newRow("replacement character") << QStringLiteral("\uFFFD") << QByteArray("?");
        QTest::newRow("surrogate pair is one character") << QStringLiteral("a😀b") << QByteArray("a?b");
        QTest::newRow("lone high surrogate") << QString(QChar(0xD83D)) + u'x' << QByteArray("?x");
        QTest::newRow("lone low surrogate") << QString(QChar(0xDE00)) << QByteArray("?");
    }
    void missingCharactersEncodeAsQuestionMark()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Cp1251::fromUnicode(text), bytes);
    }

    // A wrong or repeated table entry shows up here as a byte that does not come back.
    void everyAssignedByteRoundTrips()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b) {
            if (b != 0x98)
                all.append(char(b));
        }
        QCOMPARE(all.size(), 255);
        const QString text = Cp1251::toUnicode(all);
        QCOMPARE(text.size(), 255);
        QSet<QChar> distinct(text.begin(), text.end());
        QCOMPARE(distinct.size(), 255);
        QVERIFY(!text.contains(QChar(0xFFFD)));
        QCOMPARE(Cp1251::fromUnicode(text), all);
    }
};

QTEST_APPLESS_MAIN(TstCp1251)
#include "tst_cp1251.moc"
