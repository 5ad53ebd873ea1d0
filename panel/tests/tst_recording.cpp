#include "recording.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// A record file larger than a small write limit, with lines like a real recording's.
QByteArray manyRecords(int n)
{
    RecordLog log;
    for (int i = 0; i < n; ++i)
        log.add(QStringLiteral("14:3:9,5"), "10.000000");
    return log.fileContents();
}

} // namespace

class TstRecording : public QObject
{
    Q_OBJECT
private slots:
    void clock_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight") << QTime(0, 0, 0, 0) << "0:0:0,0";
        QTest::newRow("last millisecond of the day") << QTime(23, 59, 59, 999) << "23:59:59,999";
        QTest::newRow("leading zeros dropped") << QTime(9, 5, 7, 42) << "9:5:7,42";
        QTest::newRow("trailing zeros kept") << QTime(14, 30, 0, 500) << "14:30:0,500";
        QTest::newRow("millisecond below ten") << QTime(14, 3, 9, 5) << "14:3:9,5";
        QTest::newRow("ten milliseconds") << QTime(12, 0, 0, 10) << "12:0:0,10";
        QTest::newRow("invalid time") << QTime() << "";
    }
    void clock()
    {
        QFETCH(QTime, time);
        QFETCH(QString, text);
        QCOMPARE(clockText(time), text);
    }

    void recordLine_data()
    {
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("clock");
        QTest::addColumn<QByteArray>("numericPart");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("first record, «F  10.000000 MHz»") << 0 << "14:3:9,5" << QByteArray("10.000000")
                                                          << QByteArray("0;14:3:9,5;10,000000");
        QTest::newRow("line without digits") << 3 << "10:0:1,250" << QByteArray() << QByteArray("3;10:0:1,250;");
        QTest::newRow("stop and comma") << 1 << "0:0:0,0" << QByteArray("1.234,5") << QByteArray("1;0:0:0,0;1,234,5");
        QTest::newRow("every stop replaced") << 0 << "1:2:3,4" << QByteArray("1.2.3.") << QByteArray("0;1:2:3,4;1,2,3,");
        QTest::newRow("offline text digits") << 0 << "1:2:3,4" << QByteArray("274") << QByteArray("0;1:2:3,4;274");
        QTest::newRow("two-digit sequence number") << 10 << "23:59:59,999" << QByteArray("5") << QByteArray("10;23:59:59,999;5");
    }
    void recordLine()
    {
        QFETCH(int, before);
        QFETCH(QString, clock);
        QFETCH(QByteArray, numericPart);
        QFETCH(QByteArray, line);
        RecordLog log;
        log.start();
        for (int i = 0; i < before; ++i)
            log.add(QStringLiteral("9:0:0,0"), "1");
        QCOMPARE(log.add(clock, numericPart), before);
        QCOMPARE(log.count(), before + 1);
        QCOMPARE(log.lines().constLast(), line);
    }

    // Each recording numbers from 0 and holds none of the previous recording's records.
    void startBeginsAnew()
    {
        RecordLog log;
        log.start();
        log.add(QStringLiteral("1:0:0,0"), "1.5");
        log.add(QStringLiteral("1:0:0,1"), "2.5");
        log.start();
        QCOMPARE(log.count(), 0);
        QCOMPARE(log.add(QStringLiteral("2:0:0,0"), "3.5"), 0);
        QCOMPARE(log.lines(), QList<QByteArray>{"0;2:0:0,0;3,5"});

        log.clear();
        QCOMPARE(log.count(), 0);
        QCOMPARE(log.fileContents(), QByteArray());
    }

    void fileContents_data()
    {
        QTest::addColumn<QByteArrayList>("values");
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("no records, empty file") << QByteArrayList() << QByteArray();
        QTest::newRow("one record") << QByteArrayList{"10.000000"} << QByteArray("0;8:0:0,0;10,000000\r\n");
        QTest::newRow("CR LF after every line, the last too")
            << QByteArrayList{"1", "", "2.5"} << QByteArray("0;8:0:0,0;1\r\n1;8:0:0,0;\r\n2;8:0:0,0;2,5\r\n");
    }
    void fileContents()
    {
        QFETCH(QByteArrayList, values);
        QFETCH(QByteArray, contents);
        RecordLog log;
        log.start();
        for (const QByteArray &v : values)
            log.add(QStringLiteral("8:0:0,0"), v);
        QCOMPARE(log.fileContents(), contents);
    }

    void writeSucceeds_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("old");
        QTest::addColumn<QByteArray>("contents");
        const QByteArray longOld = QByteArray("0;1:1:1,1;99999999\r\n").repeated(50);
        QTest::newRow("creates a new file") << false << QByteArray() << QByteArray("0;8:0:0,0;1\r\n");
        QTest::newRow("replaces a longer file whole") << true << longOld << QByteArray("0;8:0:0,0;1\r\n");
        QTest::newRow("empty recording empties the file") << true << longOld << QByteArray();
        QTest::newRow("empty recording, new file") << false << QByteArray() << QByteArray();
    }
    void writeSucceeds()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, old);
        QFETCH(QByteArray, contents);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("QV_274 LogFile.csv"));
        if (exists)
            writeBytes(path, old);

        QCOMPARE(writeRecordFile(path, contents), std::nullopt);
        QVERIFY(QFile::exists(path));
        QCOMPARE(readAll(path), contents);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("QV_274 LogFile.csv")});
    }

    // Each way of failing must leave what was there untouched, leave no stray files
    // beside it, and say which file could not be written.
    void writeFails_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("folder is a regular file") << "parentIsFile";
        QTest::newRow("target is a folder") << "targetIsDir";
#ifdef Q_OS_UNIX
        // The file size limit stops a write half way even for root, like a full disk.
        QTest::newRow("write stops half way") << "sizeLimit";
#endif
    }
    void writeFails()
    {
        QFETCH(QString, how);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray old = "0;1:1:1,1;1\r\n";
        const QByteArray contents = manyRecords(2000);
        QString path;
        QString kept; // the file whose bytes must survive
        if (how == "parentIsFile") {
            kept = dir.filePath(QStringLiteral("logs"));
            writeBytes(kept, old);
            path = kept + QStringLiteral("/record.csv");
        } else if (how == "targetIsDir") {
            path = dir.filePath(QStringLiteral("record.csv"));
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("record.csv")));
            kept = path + QStringLiteral("/inside.csv");
            writeBytes(kept, old);
        } else {
            path = dir.filePath(QStringLiteral("record.csv"));
            kept = path;
            writeBytes(kept, old);
        }
        const QStringList before = QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

        std::optional<QString> error;
#ifdef Q_OS_UNIX
        if (how == "sizeLimit") {
            QVERIFY(contents.size() > 8192);
            rlimit saved{};
            QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
            rlimit small = saved;
            small.rlim_cur = 4096;
            const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            error = writeRecordFile(path, contents);
            setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, oldHandler);
        } else
#endif
        {
            error = writeRecordFile(path, contents);
        }

        QVERIFY(error.has_value());
        const QString prefix = QStringLiteral("Не удалось создать файл \"%1\". ").arg(QDir::toNativeSeparators(path));
        QVERIFY2(error->startsWith(prefix), qPrintable(*error));
        QVERIFY2(error->size() > prefix.size(), "the system's reason is missing");
        QCOMPARE(readAll(kept), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), before);
        if (how == "targetIsDir")
            QVERIFY(QFileInfo(path).isDir());
    }
};

QTEST_GUILESS_MAIN(TstRecording)
#include "tst_recording.moc"
