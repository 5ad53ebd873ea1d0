#include "errorbox.h"
#include "mainwindow.h"
#include "pty.h"
#include "seriallink.h"
#include "tlcdline.h"

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The simulated counter as a child process; its port path comes on its first output line.
struct Simulator
{
    QProcess process;
    QString port;

    bool start(const QStringList &args)
    {
        process.start(QV274_SIM, args);
        if (!process.waitForStarted(5000))
            return false;
        QDeadlineTimer deadline(5000);
        while (!deadline.hasExpired()) {
            process.waitForReadyRead(100);
            const QString line = QString::fromLocal8Bit(process.readLine()).trimmed();
            if (line.startsWith("PORT ")) {
                port = line.mid(5);
                return true;
            }
        }
        return false;
    }
    ~Simulator()
    {
        process.terminate();
        process.waitForFinished(3000);
    }
};

struct Window
{
    TForm1 form;
    QStringList boxes;
    Window() { ErrorBox::setSink([this](const QString &t) { boxes << t; }); }
    ~Window() { ErrorBox::setSink({}); }

    QString shown() const { return form.findChild<QLabel *>("sLabel1")->text().trimmed(); }
    QByteArray lcd() const { return form.findChild<TLCDLine *>("LCDLine1")->text(); }
    bool open(const QString &port)
    {
        form.findChild<QComboBox *>("sComboBox1")->setEditText(port);
        QTest::mouseClick(form.findChild<QPushButton *>("Button1"), Qt::LeftButton);
        return form.link().isOpen();
    }
    void close() { QTest::mouseClick(form.findChild<QPushButton *>("Button2"), Qt::LeftButton); }
    void key(const char *name) { QTest::mouseClick(form.findChild<QPushButton *>(name), Qt::LeftButton); }
    bool showsReading()
    {
        return QTest::qWaitFor([&] { return lcd().size() == 16 && lcd().startsWith("F ") && lcd().endsWith("MHz"); }, 5000);
    }
};

} // namespace

class TstEndToEnd : public QObject
{
    Q_OBJECT
private slots:
    void mirrorsAndDrivesTheCounter()
    {
        Simulator sim;
        QVERIFY(sim.start({"--interval", "30"}));
        Window w;
        QVERIFY(w.open(sim.port));
        QVERIFY(w.showsReading());

        w.key("sBitBtn4"); // MENU
        QVERIFY(QTest::qWaitFor([&] { return w.shown() == "Время счета 1с"; }, 3000));
        QCOMPARE(w.lcd().left(12), QByteArray("\xC2\xF0\xE5\xEC\xFF \xF1\xF7\xE5\xF2\xE0 ")); // cp1251 bytes
        w.key("sBitBtn2"); // DOWN
        QVERIFY(QTest::qWaitFor([&] { return w.shown().startsWith("Яркость"); }, 3000));
        w.key("sBitBtn4"); // MENU again leaves the menu
        QVERIFY(w.showsReading());

        // Pulling the counter away leaves the window idle and responsive.
        sim.process.terminate();
        QVERIFY(sim.process.waitForFinished(3000));
        QTest::qWait(200);
        const double before = processCpuSeconds();
        QTest::qWait(1000);
        QVERIFY2(processCpuSeconds() - before < 0.2, "the window spins after a hang-up");
        QVERIFY(w.form.link().isOpen());
        w.close();
        QCOMPARE(w.lcd(), QByteArray(" QV-274 OFFLINE"));
        QVERIFY(w.boxes.isEmpty());
    }

    // The simulator logs each key it receives: every button reaches it as its letter.
    void keysReachTheCounter()
    {
        Simulator sim;
        QVERIFY(sim.start({"--interval", "1000"}));
        Window w;
        QVERIFY(w.open(sim.port));
        for (const char *name : {"sBitBtn1", "sBitBtn2", "sBitBtn3"})
            w.key(name);
        QByteArray log;
        QVERIFY(QTest::qWaitFor([&] {
            log += sim.process.readAllStandardError();
            return log.count("KEY ") >= 3;
        }, 3000));
        QVERIFY2(log.contains("KEY U") && log.contains("KEY D") && log.contains("KEY A"), log.constData());
    }

    // A counter that hangs up and comes back under the same name: close and open restore the feed.
    void reconnectAfterHangUp()
    {
        QTemporaryDir dir;
        const QString link = dir.filePath("qv274");
        Simulator sim;
        QVERIFY(sim.start({"--interval", "30", "--link", link, "--hangup-after", "1", "--reconnect"}));
        Window w;
        QVERIFY(w.open(link));
        QVERIFY(w.showsReading());
        QSignalSpy stopped(&w.form.link(), &SerialLink::feedStopped);
        QVERIFY(stopped.wait(5000));
        QTest::qWait(300); // the simulator re-links its new end
        w.close();
        QVERIFY(w.open(link));
        const QByteArray before = w.lcd();
        QVERIFY(QTest::qWaitFor([&] { return w.lcd() != before && w.lcd().endsWith("MHz"); }, 5000));
        QVERIFY(w.boxes.isEmpty());
    }
};

QTEST_MAIN(TstEndToEnd)
#include "tst_endtoend.moc"
