#include "portlist.h"
#include "seriallink.h"

#include <QSignalSpy>
#include <QtTest>

class TstPortList : public QObject
{
    Q_OBJECT
private slots:
    void sortPortNames_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("as text, not by number")
            << QStringList{"COM1", "COM2", "COM10"} << QStringList{"COM1", "COM10", "COM2"};
        QTest::newRow("letter case ignored")
            << QStringList{"com3", "COM20", "Com1"} << QStringList{"Com1", "COM20", "com3"};
        QTest::newRow("Unix names") << QStringList{"ttyUSB0", "ttyS0", "ttyACM1"}
                                    << QStringList{"ttyACM1", "ttyS0", "ttyUSB0"};
        QTest::newRow("empty") << QStringList{} << QStringList{};
    }
    void sortPortNames()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, sorted);
        QCOMPARE(::sortPortNames(names), sorted);
    }

    // A failing source is reported on the first failure of each run of failures only;
    // every success in between refreshes the list, sorted.
    void failureReportedOncePerRun()
    {
        // One entry per poll: a list of names, or an empty optional for a failure.
        const QList<std::optional<QStringList>> script{
            QStringList{"COM2", "COM10"}, {}, {}, {}, QStringList{"COM1"}, {}, {}};
        int call = 0;
        PortListPoller poller;
        poller.setSource([&]() -> QStringList {
            const auto &step = script.at(call++);
            if (!step)
                throw LinkError(QStringLiteral("Ошибка обращения к системному реестру"));
            return *step;
        });
        QSignalSpy refreshed(&poller, &PortListPoller::refreshed);
        QSignalSpy failed(&poller, &PortListPoller::failed);

        QList<int> failedAt;
        for (int i = 0; i < script.size(); ++i) {
            const auto before = failed.size();
            poller.poll();
            if (failed.size() > before)
                failedAt << i;
        }
        QCOMPARE(failedAt, (QList<int>{1, 5}));
        QCOMPARE(failed.first().first().toString(),
                 QStringLiteral("Ошибка обращения к системному реестру"));
        QCOMPARE(refreshed.size(), 2);
        QCOMPARE(refreshed.at(0).first().toStringList(), (QStringList{"COM10", "COM2"}));
        QCOMPARE(refreshed.at(1).first().toStringList(), QStringList{"COM1"});
    }

    void pollsOnItsTimer()
    {
        PortListPoller poller;
        int calls = 0;
        poller.setSource([&] {
            ++calls;
            return QStringList{"COM1"};
        });
        poller.setInterval(10);
        QSignalSpy refreshed(&poller, &PortListPoller::refreshed);
        poller.start();
        QTRY_VERIFY(refreshed.size() >= 3);
        poller.stop();
        const int seen = calls;
        QTest::qWait(50);
        QCOMPARE(calls, seen);
    }

    void defaultSourceListsThisMachine()
    {
        PortListPoller poller;
        QSignalSpy refreshed(&poller, &PortListPoller::refreshed);
        poller.poll();
        QCOMPARE(refreshed.size(), 1);
        const QStringList names = refreshed.first().first().toStringList();
        QCOMPARE(names, ::sortPortNames(names));

        SerialLink::injectPortListFault();
        QSignalSpy failed(&poller, &PortListPoller::failed);
        poller.poll();
        QCOMPARE(failed.size(), 1);
        QCOMPARE(refreshed.size(), 1);
    }
};

QTEST_GUILESS_MAIN(TstPortList)
#include "tst_portlist.moc"
