#include "pty.h"
#include "seriallink.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

Q_DECLARE_METATYPE(SerialLink::Fault)

namespace {

QString messageOf(const std::function<void()> &operation)
{
    try {
        operation();
    } catch (const LinkError &e) {
        return e.message();
    }
    return {};
}


// Reads every receive event's characters, as the window's handler does.
struct Reader
{
    QByteArray received;
    QList<qint64> counts;
    bool countMatchedRead = true;

    explicit Reader(SerialLink &link)
    {
        QObject::connect(&link, &SerialLink::rxChar, &link, [this, &link](qint64 count) {
            counts << count;
            const QByteArray chunk = link.read(count);
            countMatchedRead = countMatchedRead && count >= 1 && chunk.size() == count;
            received += chunk;
        });
    }
};

const QString kMissing = QStringLiteral("Попытка открыть несуществующий COM-порт");
const QString kBusy = QStringLiteral("Порт занят другой программой");

} // namespace

class TstLink : public QObject
{
    Q_OBJECT
private slots:
    void receivesWhatTheDeviceSends()
    {
        Pty pty;
        SerialLink link;
        Reader reader(link);
        link.setPortName(pty.path);
        link.open();
        QVERIFY(link.isOpen());

        const QByteArray lines = "F  10.000000 MHz\r\nF  10.000001 MHz\r\n";
        QVERIFY(pty.send(lines));
        QTRY_COMPARE(reader.received, lines);
        QVERIFY(reader.countMatchedRead);

        // A burst well over the read buffer arrives whole and in order.
        QByteArray burst;
        for (int i = 0; i < 600; ++i)
            burst += QByteArray::number(i).rightJustified(16, '0') + "\r\n";
        reader.received.clear();
        for (qsizetype at = 0; at < burst.size(); at += 1000)
            QVERIFY(pty.send(burst.mid(at, 1000)));
        QTRY_COMPARE(reader.received.size(), burst.size());
        QCOMPARE(reader.received, burst);
        QVERIFY(reader.countMatchedRead);
        link.close();
    }

    void writeDeliversExactBytes_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("a key letter") << QByteArray("M");
        QTest::newRow("no line-end translation, no flow-control bytes eaten")
            << QByteArray("K\r\n\n\x11\x13\x00\xFF", 8);
    }
    void writeDeliversExactBytes()
    {
        QFETCH(QByteArray, data);
        Pty pty;
        SerialLink link;
        link.setPortName(pty.path);
        link.open();
        link.write(data);
        QCOMPARE(pty.receive(data.size() + 1, 200), data);
    }

    // A device that takes nothing (its input full) must not hang the key press: the write
    // gives up after its time-out, the port stays open and the key does not go out late.
    void writeGivesUpWhenTheLineIsStuck()
    {
        Pty pty;
        const int slave =
            ::open(pty.path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        QVERIFY(slave >= 0);
        SerialLink link;
        link.setPortName(pty.path);
        link.open();
        // Fill the line until it stays full; the kernel frees room behind a first refusal.
        const QByteArray filler(4096, 'x');
        for (int refusals = 0; refusals < 5;) {
            if (::write(slave, filler.constData(), size_t(filler.size())) > 0) {
                refusals = 0;
            } else {
                ++refusals;
                ::usleep(20000);
            }
        }
        ::close(slave);

        QElapsedTimer timer;
        timer.start();
        QCOMPARE(messageOf([&] { link.write("M"); }), QStringLiteral("Ошибка записи в порт"));
        QVERIFY2(timer.elapsed() >= 1000 && timer.elapsed() < 3000,
                 qPrintable(QString::number(timer.elapsed())));
        QVERIFY(link.isOpen());

        while (!pty.receive(1 << 16, 100).isEmpty()) {
        }
        link.write("K");
        QCOMPARE(pty.receive(2, 300), QByteArray("K"));
    }

    void lineSettingsApplied_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<speed_t>("speed");
        QTest::newRow("default, 19200") << -1 << speed_t(B19200);
        QTest::newRow("index 0, 110") << 0 << speed_t(B110);
        QTest::newRow("index 12, 115200") << 12 << speed_t(B115200);
    }
    void lineSettingsApplied()
    {
        QFETCH(int, index);
        QFETCH(speed_t, speed);
        Pty pty;
        // Opened before the link so that its exclusive hold does not keep the test out.
        const int slave = ::open(pty.path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        QVERIFY(slave >= 0);
        SerialLink link;
        link.setPortName(pty.path);
        if (index >= 0)
            link.setBaudRateIndex(index);
        link.open();

        termios t{};
        QCOMPARE(::tcgetattr(slave, &t), 0);
        ::close(slave);
        QCOMPARE(::cfgetispeed(&t), speed);
        QCOMPARE(::cfgetospeed(&t), speed);
        QCOMPARE(t.c_cflag & CSIZE, tcflag_t(CS8));
        QCOMPARE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
        QVERIFY(t.c_cflag & CREAD);
        QCOMPARE(t.c_iflag & (IXON | IXOFF | ICRNL | INLCR | IGNCR | ISTRIP), tcflag_t(0));
        QCOMPARE(t.c_oflag & OPOST, tcflag_t(0));
        QCOMPARE(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), tcflag_t(0));
    }

    void missingPortNamed_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("absent path") << "/dev/qv274-no-such-port";
        QTest::newRow("Windows name") << "COM7";
        QTest::newRow("empty") << "";
    }
    void missingPortNamed()
    {
        QFETCH(QString, name);
        SerialLink link;
        link.setPortName(name);
        QCOMPARE(messageOf([&] { link.open(); }), kMissing);
        QVERIFY(!link.isOpen());
    }

    // A second opener is kept out while the port is held, whatever name it uses, and gets
    // in once the port is closed.
    void heldPortIsBusy_data()
    {
        QTest::addColumn<bool>("viaSymlink");
        QTest::newRow("same path") << false;
        QTest::newRow("another name for the device") << true;
    }
    void heldPortIsBusy()
    {
        QFETCH(bool, viaSymlink);
        Pty pty;
        QTemporaryDir dir;
        QString second = pty.path;
        if (viaSymlink) {
            second = dir.filePath("counter");
            QVERIFY(QFile::link(pty.path, second));
        }
        SerialLink first;
        first.setPortName(pty.path);
        first.open();

        SerialLink other;
        other.setPortName(second);
        QCOMPARE(messageOf([&] { other.open(); }), kBusy);
        QVERIFY(!other.isOpen());
        first.write("M"); // the holder is undisturbed
        QCOMPARE(pty.receive(1), QByteArray("M"));

        first.close();
        other.open();
        QVERIFY(other.isOpen());
    }

    // The other end going away ends the feed once, leaves the port shown open and the CPU
    // idle; closing is quiet and opening again brings the feed back.
    void hangUpStopsFeedQuietly()
    {
        auto pty = std::make_unique<Pty>();
        SerialLink link;
        Reader reader(link);
        QSignalSpy stopped(&link, &SerialLink::feedStopped);
        link.setPortName(pty->path);
        link.open();
        pty->send("F  10.000000 MHz\r\n");
        QTRY_COMPARE(reader.received, QByteArray("F  10.000000 MHz\r\n"));

        pty->hangUp();
        QVERIFY(stopped.wait(2000));
        QVERIFY(link.isOpen());

        const double before = processCpuSeconds();
        QTest::qWait(1000);
        const double used = processCpuSeconds() - before;
        QVERIFY2(used < 0.2, qPrintable(QString("%1 s of CPU in 1 s idle").arg(used)));
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(messageOf([&] { link.write("M"); }), QStringLiteral("Ошибка записи в порт"));

        QCOMPARE(messageOf([&] { link.close(); }), QString());
        QVERIFY(!link.isOpen());

        pty = std::make_unique<Pty>();
        link.setPortName(pty->path);
        link.open();
        reader.received.clear();
        pty->send("F  10.000001 MHz\r\n");
        QTRY_COMPARE(reader.received, QByteArray("F  10.000001 MHz\r\n"));
        QCOMPARE(stopped.size(), 1);
    }

    // Characters that arrive while a key is being written are handed over after the write,
    // never from inside it.
    void receiveWaitsForWrite()
    {
        Pty pty;
        SerialLink link;
        bool inWrite = false;
        bool nested = false;
        QByteArray received;
        connect(&link, &SerialLink::rxChar, &link, [&](qint64 count) {
            nested = nested || inWrite;
            received += link.read(count);
        });
        link.setPortName(pty.path);
        link.open();
        QVERIFY(pty.send("F  10.000000 MHz\r\n"));
        ::usleep(50000); // it reaches the driver while no event is handled
        inWrite = true;
        link.write("U");
        inWrite = false;
        QTRY_COMPARE(received, QByteArray("F  10.000000 MHz\r\n"));
        QVERIFY(!nested);
    }

    // Each injected fault gives its message once and leaves the link as the real failure
    // would.
    void injectedFault_data()
    {
        QTest::addColumn<SerialLink::Fault>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("openAfter");
        QTest::newRow("open") << SerialLink::Fault::Open << "Ошибка функции SetupComm" << false;
        QTest::newRow("settings") << SerialLink::Fault::SetCommState
                                  << "Ошибка функции SetCommState" << false;
        QTest::newRow("close") << SerialLink::Fault::Close << "Ошибка функции EscapeCommFunction"
                               << false;
        QTest::newRow("write") << SerialLink::Fault::Write << "Ошибка записи в порт" << true;
        QTest::newRow("read") << SerialLink::Fault::Read << "Ошибка чтения из порта" << true;
        QTest::newRow("port list") << SerialLink::Fault::PortList
                                   << "Ошибка обращения к системному реестру" << false;
    }
    void injectedFault()
    {
        QFETCH(SerialLink::Fault, fault);
        QFETCH(QString, message);
        QFETCH(bool, openAfter);
        using F = SerialLink::Fault;

        Pty pty;
        SerialLink link;
        QSignalSpy stopped(&link, &SerialLink::feedStopped);
        link.setPortName(pty.path);
        if (fault == F::Close || fault == F::Write || fault == F::Read)
            link.open();
        const auto operation = [&] {
            switch (fault) {
            case F::Open:
            case F::SetCommState: link.open(); break;
            case F::Close: link.close(); break;
            case F::Write: link.write("K"); break;
            case F::Read: link.read(1); break;
            case F::PortList: SerialLink::portNames(); break;
            case F::None: break;
            }
        };

        link.injectFault(fault);
        QCOMPARE(messageOf(operation), message);
        QCOMPARE(link.isOpen(), openAfter);
        QCOMPARE(messageOf(operation), QString()); // consumed once

        switch (fault) {
        case F::Open:
        case F::SetCommState: // the retry above opened: nothing was left held
            QVERIFY(link.isOpen());
            break;
        case F::Close: {
            SerialLink other; // released although close() threw
            other.setPortName(pty.path);
            other.open();
            break;
        }
        case F::Write: // the failed write sent nothing
            QCOMPARE(pty.receive(2, 200), QByteArray("K"));
            break;
        case F::Read: // like a read failure: the feed ends quietly, the port looks open
            QVERIFY(stopped.wait(1000));
            QVERIFY(link.isOpen());
            QTest::qWait(50);
            QCOMPARE(stopped.size(), 1);
            link.close();
            break;
        default:
            break;
        }
        if (fault != F::Read)
            QCOMPARE(stopped.size(), 0);
    }
};

QTEST_GUILESS_MAIN(TstLink)
#include "tst_link.moc"
