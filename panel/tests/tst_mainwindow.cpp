#include "errorbox.h"
#include "mainwindow.h"
#include "portlist.h"
#include "pty.h"
#include "seriallink.h"
#include "statuspanel.h"
#include "tlcdline.h"

#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// The main window with process control watched instead of carried out.
class Form : public TForm1
{
public:
    int restarts = 0;
    int exits = 0;

protected:
    void restartProgram() override { ++restarts; }
    void exitNow() override { ++exits; }
};

// Error boxes captured from before the window exists (its creation may show one).
struct BoxCapture
{
    QStringList boxes;
    BoxCapture() { ErrorBox::setSink([this](const QString &t) { boxes << t; }); }
    ~BoxCapture() { ErrorBox::setSink({}); }
};

// A window, a pseudo-terminal playing the counter, and the error boxes captured.
struct Rig : BoxCapture
{
    Pty pty;
    Form form;
    bool alternate = false;
    QStringList dialogAnswers; // one per save dialog; "" cancels
    QStringList dialogSuggestions;

    Rig()
    {
        form.setAlternateModeSource([this] { return alternate; });
        form.setSaveDialog([this](QWidget *, const QString &suggested) {
            dialogSuggestions << suggested;
            return dialogAnswers.isEmpty() ? QString() : dialogAnswers.takeFirst();
        });
    }
    template <typename T = QWidget> T *get(const char *name) const
    {
        T *w = form.findChild<T *>(name);
        if (!w)
            qWarning("no control %s", name);
        return w;
    }
    TLCDLine *liveLcd() const { return get<TLCDLine>("LCDLine1"); }
    TLCDLine *heldLcd() const { return get<TLCDLine>("LCDLine2"); }
    QLabel *liveLabel() const { return get<QLabel>("sLabel1"); }
    QLabel *heldLabel() const { return get<QLabel>("sLabel2"); }
    QToolButton *hold() const { return get<QToolButton>("sSpeedButton1"); }
    QToolButton *record() const { return get<QToolButton>("sSpeedButton4"); }
    QToolButton *copyLine() const { return get<QToolButton>("sSpeedButton2"); }
    QToolButton *copyNumber() const { return get<QToolButton>("sSpeedButton3"); }
    QProgressBar *indicator() const { return get<QProgressBar>("sProgressBar1"); }
    QString panel(int i) const { return get<StatusPanel>(qPrintable(QString("StatusPanel%1").arg(i)))->text(); }

    bool open(const QString &path = {})
    {
        get<QComboBox>("sComboBox1")->setEditText(path.isEmpty() ? pty.path : path);
        QTest::mouseClick(get<QPushButton>("Button1"), Qt::LeftButton);
        return form.link().isOpen();
    }
    void close() { QTest::mouseClick(get<QPushButton>("Button2"), Qt::LeftButton); }
    void click(QToolButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

    // Sends one chunk and waits until the window has handled it.
    bool feed(const QByteArray &chunk)
    {
        if (!pty.send(chunk))
            return false;
        QTest::qWait(5);
        return QTest::qWaitFor([&] { return form.link().bytesAvailable() == 0; }, 2000) &&
               (QTest::qWait(20), true);
    }
    // A display line of the counter, CR LF included, as one chunk.
    bool line(const QByteArray &text) { return feed(text + "\r\n"); }
};

struct Control
{
    const char *name;
    QRect geometry;
    bool visible, enabled;
    QString text; // caption or hint
};

} // namespace

class TstMainWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QApplication::setApplicationDisplayName("QV-274 Control panel"); }

    // Every visible control at its place, with its caption or hint and initial state.
    void controlsAtStart()
    {
        Rig rig;
        rig.form.show();
        QCOMPARE(rig.get("Client")->size(), QSize(753, 148));
        QCOMPARE(rig.form.minimumSize(), rig.form.maximumSize()); // fixed size
        QVERIFY(!(rig.form.windowFlags() & Qt::WindowMaximizeButtonHint));
        const Control controls[] = {
            {"Button1", {632, 8, 110, 25}, true, true, "ОТКРЫТЬ ПОРТ"},
            {"Button2", {632, 8, 110, 25}, false, true, "ЗАКРЫТЬ ПОРТ"},
            {"sComboBox1", {632, 40, 113, 21}, true, true, "Выбор порта"},
            {"sProgressBar1", {632, 66, 111, 17}, true, true, "Индикатор обмена данными"},
            {"LCDLine1", {16, 8, 601, 65}, true, true, {}},
            {"LCDLine2", {16, 8, 601, 65}, false, true, {}},
            {"sLabel1", {16, 8, 601, 76}, true, true, "QV-274 OFFLINE"},
            {"sLabel2", {16, 8, 601, 76}, false, true, "QV -274 OFFLINE"},
            {"sBitBtn4", {16, 88, 89, 33}, true, false, "МЕНЮ"},
            {"sBitBtn1", {112, 88, 89, 33}, true, false, {}},
            {"sBitBtn2", {208, 88, 89, 33}, true, false, {}},
            {"sBitBtn5", {304, 88, 89, 33}, true, false, "ВВОД"},
            {"sBitBtn3", {400, 88, 89, 33}, true, false, {}},
            {"sBitBtn6", {496, 88, 89, 33}, true, false, "МЕНЮ+ВВОД"},
            {"sSpeedButton4", {592, 88, 33, 33}, true, false, "Запись в файл вкл/выкл"},
            {"sSpeedButton1", {632, 88, 33, 33}, true, false, "Режим удержания вкл/выкл"},
            {"sSpeedButton2", {671, 88, 33, 33}, true, false, "Копировать строку в буфер"},
            {"sSpeedButton3", {711, 88, 33, 33}, true, false, "Копировать в буфер только числовое значение"},
            {"sStatusBar1", {0, 129, 753, 19}, true, true, {}},
        };
        for (const Control &c : controls) {
            QWidget *w = rig.get(c.name);
            QVERIFY2(w, c.name);
            QCOMPARE(w->geometry(), c.geometry);
            QVERIFY2(w->isVisible() == c.visible, c.name);
            QVERIFY2(w->isEnabled() == c.enabled, c.name);
            QString text = w->toolTip();
            if (auto *b = qobject_cast<QPushButton *>(w))
                text = b->text();
            if (auto *l = qobject_cast<QLabel *>(w))
                text = l->text();
            QCOMPARE(text, c.text);
            if (qobject_cast<QAbstractButton *>(w))
                QCOMPARE(w->cursor().shape(), Qt::PointingHandCursor);
        }
        QCOMPARE(rig.liveLcd()->text(), QByteArray(" QV-274 OFFLINE"));
        QCOMPARE(rig.indicator()->value(), 0);
        QCOMPARE(rig.get<QComboBox>("cbBaudRate")->currentText(), QString("19200"));
        QCOMPARE(rig.get<QComboBox>("cbBaudRate")->count(), 15);
        QCOMPARE(rig.panel(1), QString("Системное время:"));
        QCOMPARE(rig.panel(3), QString("Записано отсчетов:"));
        QCOMPARE(rig.panel(4), QString());
        QVERIFY(rig.boxes.isEmpty());
    }

    // The title bar's About item opens the About window modally; OK closes it.
    void aboutFromTheTitleBar()
    {
        Rig rig;
        rig.form.show();
        QString title;
        bool modal = false;
        QTimer::singleShot(50, [&] {
            QWidget *dialog = QApplication::activeModalWidget();
            QVERIFY(dialog);
            title = dialog->windowTitle();
            modal = dialog->isModal() && dialog->objectName() == "TForm3";
            QTest::mouseClick(dialog->findChild<QPushButton *>("AboutOk"), Qt::LeftButton);
        });
        QCOMPARE(rig.form.aboutItem()->toolTip(), QString("О программе"));
        rig.form.aboutItem()->click();
        QCOMPARE(title, QString("О программе"));
        QVERIFY(modal);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(rig.get<QLabel>("TitleInfo")->text(), QString("QV-274 Control panel v1.5    "));
    }

    // A port list that cannot be read at start-up is reported once; the window still starts.
    void startUpWithoutPortList()
    {
        SerialLink::injectPortListFault();
        Rig rig; // the sink is set before the window reads the list
        QCOMPARE(rig.boxes, QStringList{"Ошибка обращения к системному реестру."});
        QCOMPARE(rig.get<QComboBox>("cbBaudRate")->currentIndex(), 8);
        QCOMPARE(rig.get<QComboBox>("sComboBox1")->currentText(), QString("COM1"));
        QVERIFY(rig.open());
    }

    // The clock runs and re-applies the live LCD's visibility at every tick, which must cost
    // no repaint of the LCD while nothing changes.
    void clockTicksWithoutRepaintingTheLcd()
    {
        Rig rig;
        rig.form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&rig.form));
        QTest::qWait(100);
        struct PaintCounter : QObject
        {
            int paints = 0;
            bool eventFilter(QObject *, QEvent *e) override
            {
                paints += e->type() == QEvent::Paint;
                return false;
            }
        } counter;
        rig.liveLcd()->installEventFilter(&counter);
        QSet<QString> clockTexts;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 500) {
            clockTexts << rig.panel(2);
            QTest::qWait(5);
        }
        QCOMPARE(counter.paints, 0);
        QVERIFY2(clockTexts.size() >= 10, qPrintable(QString::number(clockTexts.size()))); // >= 20 a second
        const QTime now = QTime::currentTime();
        const QTime shown = QTime::fromString(rig.panel(2), "h:m:s,z");
        QVERIFY(shown.isValid());
        QVERIFY(qAbs(shown.msecsTo(now)) < 1000);
    }

    void portList()
    {
        Rig rig;
        auto *chooser = rig.get<QComboBox>("sComboBox1");
        auto *poller = rig.form.findChild<PortListPoller *>("Timer1");
        QVERIFY(poller);
        QStringList ports{"COM2", "COM10", "COM1"};
        bool fail = false;
        poller->setSource([&]() -> QStringList {
            if (fail)
                throw LinkError("Ошибка обращения к системному реестру");
            return ports;
        });
        chooser->setEditText("COM1");
        rig.form.refreshPorts();
        QStringList listed;
        for (int i = 0; i < chooser->count(); ++i)
            listed << chooser->itemText(i);
        QCOMPARE(listed, (QStringList{"COM1", "COM10", "COM2"}));

        chooser->setEditText("/dev/my-counter"); // typed, not listed
        rig.form.refreshPorts();
        ports = {"COM3"}; // the chosen port disappears
        rig.form.refreshPorts();
        QCOMPARE(chooser->currentText(), QString("/dev/my-counter"));
        QCOMPARE(chooser->count(), 1);

        fail = true;
        for (int i = 0; i < 3; ++i)
            rig.form.refreshPorts();
        QCOMPARE(rig.boxes, QStringList{"Ошибка обращения к системному реестру."}); // once
        QCOMPARE(chooser->count(), 1); // the list keeps its contents
    }

    void openFeedAndClose()
    {
        Rig rig;
        QVERIFY(rig.open());
        for (const char *name : {"sBitBtn4", "sBitBtn1", "sBitBtn2", "sBitBtn5", "sBitBtn3", "sBitBtn6",
                                 "sSpeedButton1", "sSpeedButton4", "Button2"})
            QVERIFY2(rig.get(name)->isEnabled() && rig.get(name)->isVisibleTo(&rig.form), name);
        QVERIFY(!rig.get("Button1")->isVisibleTo(&rig.form));
        QVERIFY(!rig.copyLine()->isEnabled() && !rig.copyNumber()->isEnabled());
        QCOMPARE(rig.liveLcd()->text(), QByteArray(" QV-274 OFFLINE")); // until a line arrives

        QVERIFY(rig.line("F  10.000000 MHz"));
        QCOMPARE(rig.liveLcd()->text(), QByteArray("F  10.000000 MHz"));
        QCOMPARE(rig.liveLabel()->text(), QString("F  10.000000 MHz"));
        QCOMPARE(rig.indicator()->value(), 1);
        QVERIFY(rig.line("\xC2\xF0\xE5\xEC\xFF \xF1\xF7\xE5\xF2\xE0 1\xF1   ")); // cp1251
        QCOMPARE(rig.liveLabel()->text(), QString("Время счета 1с   "));
        QCOMPARE(rig.indicator()->value(), 2);

        rig.close();
        for (const char *name : {"sBitBtn4", "sBitBtn1", "sBitBtn2", "sBitBtn5", "sBitBtn3", "sBitBtn6",
                                 "sSpeedButton1", "sSpeedButton4", "sSpeedButton2", "sSpeedButton3"})
            QVERIFY2(!rig.get(name)->isEnabled(), name);
        QVERIFY(rig.get("Button1")->isVisibleTo(&rig.form));
        QVERIFY(!rig.get("Button2")->isVisibleTo(&rig.form));
        QVERIFY(!rig.form.link().isOpen());
        QCOMPARE(rig.liveLcd()->text(), QByteArray(" QV-274 OFFLINE"));
        QCOMPARE(rig.liveLabel()->text(), QString(" QV-274 OFFLINE"));
        QCOMPARE(rig.indicator()->value(), 0);

        // The step count survives: the first step after reopening continues from 2.
        QVERIFY(rig.open());
        QVERIFY(rig.line("F  10.000001 MHz"));
        QCOMPARE(rig.indicator()->value(), 3);
        QVERIFY(rig.boxes.isEmpty());
    }

    void keyButtonsSendTheirLetters()
    {
        Rig rig;
        QVERIFY(rig.open());
        rig.pty.drain();
        for (const char *name : {"sBitBtn4", "sBitBtn1", "sBitBtn2", "sBitBtn5", "sBitBtn3", "sBitBtn6"})
            QTest::mouseClick(rig.get<QPushButton>(name), Qt::LeftButton);
        QCOMPARE(rig.pty.receive(6), QByteArray("MUDKAC"));
        QCOMPARE(rig.pty.drain(), QByteArray()); // nothing before, between or after
    }

    void openFailures_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "Попытка открыть несуществующий COM-порт.";
        QTest::newRow("held by another") << "Порт занят другой программой.";
    }
    void openFailures()
    {
        QFETCH(QString, message);
        Rig rig;
        SerialLink other;
        QString path = "/dev/qv274-no-such-port";
        if (message.startsWith("Порт")) {
            other.setPortName(rig.pty.path);
            other.open();
            path = rig.pty.path;
        }
        QVERIFY(!rig.open(path));
        QCOMPARE(rig.boxes, QStringList{message});
        QVERIFY(rig.get("Button1")->isVisibleTo(&rig.form));
        QVERIFY(!rig.get("sBitBtn4")->isEnabled());
        QVERIFY(!rig.hold()->isEnabled() && !rig.record()->isEnabled());
    }

    void writeFailureKeepsThePortOpen()
    {
        Rig rig;
        QVERIFY(rig.open());
        rig.form.link().injectFault(SerialLink::Fault::Write);
        QTest::mouseClick(rig.get<QPushButton>("sBitBtn4"), Qt::LeftButton);
        QCOMPARE(rig.boxes, QStringList{"Ошибка записи в порт."});
        QVERIFY(rig.form.link().isOpen());
        QVERIFY(rig.get("sBitBtn4")->isEnabled());
    }

    void failedCloseRestartsOrExits()
    {
        Rig rig;
        QVERIFY(rig.open());
        rig.form.link().injectFault(SerialLink::Fault::Close);
        rig.close();
        QCOMPARE(rig.form.restarts, 1);
        QVERIFY(rig.boxes.isEmpty()); // no box: the program starts anew

        Rig second;
        QVERIFY(second.open());
        second.form.show();
        second.form.link().injectFault(SerialLink::Fault::Close);
        second.form.close();
        QCOMPARE(second.form.exits, 1);
        QVERIFY(second.boxes.isEmpty());
    }

    // A pulled adapter neither crashes nor spins; a read failure stops the feed until the
    // port is closed and opened again.
    void hangUpStaysIdle()
    {
        Rig rig;
        QVERIFY(rig.open());
        QVERIFY(rig.line("F  10.000000 MHz"));
        rig.pty.hangUp();
        QTest::qWait(100);
        const double before = processCpuSeconds();
        QTest::qWait(1000);
        const double used = processCpuSeconds() - before;
        QVERIFY2(used < 0.2, qPrintable(QString("%1 s of CPU in 1 s").arg(used)));
        QVERIFY(rig.form.link().isOpen()); // the window still shows the port open
        QCOMPARE(rig.liveLcd()->text(), QByteArray("F  10.000000 MHz"));
        rig.close();
        QVERIFY(rig.boxes.isEmpty());
    }

    void readFailureThenReopenRestoresTheFeed()
    {
        Rig rig;
        QVERIFY(rig.open());
        rig.form.link().injectFault(SerialLink::Fault::Read);
        rig.pty.send("F  10.000000 MHz\r\n");
        QTest::qWait(200);
        QCOMPARE(rig.liveLcd()->text(), QByteArray(" QV-274 OFFLINE"));
        rig.close();
        QVERIFY(rig.open());
        QVERIFY(rig.line("F  20.000000 MHz"));
        QCOMPARE(rig.liveLcd()->text(), QByteArray("F  20.000000 MHz"));
        QVERIFY(rig.boxes.isEmpty());
    }

    // Which display shows, for hold and alternate mode.
    void displayArea_data()
    {
        QTest::addColumn<bool>("holdDown");
        QTest::addColumn<bool>("alternateAtHold");
        QTest::addColumn<bool>("alternateAfter");
        QTest::addColumn<QString>("shown");
        QTest::newRow("live LCD") << false << false << false << "LCDLine1";
        QTest::newRow("alternate: live label") << false << true << true << "sLabel1";
        QTest::newRow("hold: held LCD") << true << false << false << "LCDLine2";
        QTest::newRow("hold, alternate on later: held LCD") << true << false << true << "LCDLine2";
        QTest::newRow("hold in alternate: held label") << true << true << true << "sLabel2";
        QTest::newRow("alternate off during hold: live LCD") << true << true << false << "LCDLine1";
    }
    void displayArea()
    {
        QFETCH(bool, holdDown);
        QFETCH(bool, alternateAtHold);
        QFETCH(bool, alternateAfter);
        QFETCH(QString, shown);
        Rig rig;
        rig.form.show();
        QVERIFY(rig.open());
        QVERIFY(rig.line("F  10.000000 MHz"));
        rig.alternate = alternateAtHold;
        QTest::qWait(3 * TForm1::kClockIntervalMs);
        if (holdDown)
            rig.click(rig.hold());
        rig.alternate = alternateAfter;
        QTest::qWait(3 * TForm1::kClockIntervalMs); // a clock tick re-applies alternate mode
        // What the user sees is the last visible control in stacking order.
        QString top;
        for (const char *name : {"sLabel1", "sLabel2", "LCDLine1", "LCDLine2"})
            if (rig.get(name)->isVisible())
                top = name;
        QCOMPARE(top, shown);
        if (holdDown) {
            QCOMPARE(rig.heldLabel()->text(), QString("F  10.000000 MHz"));
            QCOMPARE(rig.copyLine()->isEnabled(), !alternateAtHold);
            QCOMPARE(rig.record()->isEnabled(), alternateAtHold);
            rig.click(rig.hold()); // off again: both live displays shown, then the tick decides
            QVERIFY(rig.liveLcd()->isVisible() && rig.liveLabel()->isVisible());
            QTest::qWait(3 * TForm1::kClockIntervalMs);
            QVERIFY(rig.liveLcd()->isVisible() == !alternateAfter);
            QVERIFY(!rig.heldLcd()->isVisible() && !rig.heldLabel()->isVisible());
            QCOMPARE(rig.heldLcd()->text(), QByteArray());
            QVERIFY(rig.record()->isEnabled() && !rig.copyLine()->isEnabled());
        }
    }

    void holdAndCopy_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("copied");
        QTest::addColumn<QString>("number");
        QTest::newRow("frequency") << QByteArray("F  10.000000 MHz") << "F  10.000000 MHz" << "10.000000";
        QTest::newRow("offline text") << QByteArray() << " QV-274 OFFLINE" << "274";
        QTest::newRow("stop and comma stay") << QByteArray("V     1.234,5 mV") << "V     1.234,5 mV" << "1.234,5";
        QTest::newRow("Cyrillic, longer than 16")
            << QByteArray("\xD7\xE0\xF1\xF2\xEE\xF2\xE0 12,5 \xCC\xC3\xF6 \xA8") << "Частота 12,5 МГц Ё" << "12,5";
    }
    void holdAndCopy()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, copied);
        QFETCH(QString, number);
        Rig rig;
        QVERIFY(rig.open());
        if (!line.isEmpty())
            QVERIFY(rig.line(line));
        rig.click(rig.hold());
        QVERIFY(rig.copyLine()->isEnabled());
        QVERIFY(rig.line("F  99.999999 MHz")); // newer lines arrive underneath
        QVERIFY(rig.line("F  88.888888 MHz"));
        QCOMPARE(rig.indicator()->value(), line.isEmpty() ? 0 : 1); // stands still in hold
        rig.click(rig.copyLine());
        QCOMPARE(QGuiApplication::clipboard()->text(), copied);
        rig.click(rig.copyNumber());
        QCOMPARE(QGuiApplication::clipboard()->text(), number);
        rig.click(rig.hold());
        QCOMPARE(rig.liveLcd()->text(), QByteArray("F  88.888888 MHz")); // the latest at once
    }

    void copyNumberWithoutDigitsKeepsTheClipboard()
    {
        Rig rig;
        QVERIFY(rig.open());
        QVERIFY(rig.line("  MENU: GATE    "));
        rig.click(rig.hold());
        QGuiApplication::clipboard()->setText("kept");
        rig.click(rig.copyNumber());
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("kept"));
    }

    void recordingToFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("run.csv");
        Rig rig;
        QVERIFY(rig.open());
        rig.click(rig.record());
        QVERIFY(!rig.hold()->isEnabled());
        QCOMPARE(rig.panel(4), QString());
        QVERIFY(rig.feed("F  10.000000 MHz")); // split before its CR LF: recorded twice
        QVERIFY(rig.feed("\r\n"));
        QVERIFY(rig.line("  MENU: GATE    ")); // no digits: empty value
        QVERIFY(rig.line("V     1.234,5 mV"));
        QVERIFY(rig.line("short 1.0")); // never a display line
        QCOMPARE(rig.panel(4), QString("3"));
        rig.dialogAnswers << path;
        rig.click(rig.record());
        QCOMPARE(rig.dialogSuggestions, QStringList{"QV_274 LogFile"});
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = f.readAll().split('\n');
        QCOMPARE(lines.size(), 5);
        const QRegularExpression clock("^\\d{1,2}:\\d{1,2}:\\d{1,2},\\d{1,3}$");
        const QByteArray values[] = {"10,000000\r", "10,000000\r", "\r", "1,234,5\r"};
        for (int i = 0; i < 4; ++i) {
            const QList<QByteArray> fields = lines[i].split(';');
            QCOMPARE(fields.size(), 3);
            QCOMPARE(fields[0], QByteArray::number(i));
            QVERIFY2(clock.match(QString::fromLatin1(fields[1])).hasMatch(), fields[1].constData());
            QCOMPARE(fields[2], values[i]);
        }
        QCOMPARE(lines[4], QByteArray()); // the last line ends with CR LF too
        QCOMPARE(rig.panel(4), QString());
        QVERIFY(rig.hold()->isEnabled());

        // A second recording to the same name replaces the file; the dialog offers that name.
        rig.click(rig.record());
        QVERIFY(rig.line("F  11.000000 MHz"));
        rig.dialogAnswers << path;
        rig.click(rig.record());
        QCOMPARE(rig.dialogSuggestions.last(), path);
        f.close();
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray second = f.readAll();
        QVERIFY2(second.startsWith("0;") && second.endsWith(";11,000000\r\n") && second.count('\n') == 1,
                 second.constData());
    }

    void recordingCancelledOrFailed()
    {
        QTemporaryDir dir;
        Rig rig;
        QVERIFY(rig.open());
        // Cancel: nothing written, the list and panel 4 emptied.
        rig.click(rig.record());
        QVERIFY(rig.line("F  10.000000 MHz"));
        rig.click(rig.record());
        QCOMPARE(rig.panel(4), QString());
        QCOMPARE(rig.form.records().count(), 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());

        // A target whose folder is a file cannot be written, even by root.
        QFile blocker(dir.filePath("not-a-folder"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.write("old");
        blocker.close();
        rig.click(rig.record());
        QVERIFY(rig.line("F  10.000000 MHz"));
        QVERIFY(rig.line("F  10.000001 MHz"));
        rig.dialogAnswers << dir.filePath("not-a-folder/run.csv");
        rig.click(rig.record());
        QCOMPARE(rig.boxes.size(), 1);
        QVERIFY2(rig.boxes[0].contains("not-a-folder/run.csv"), qPrintable(rig.boxes[0]));
        QCOMPARE(rig.form.records().count(), 2); // kept for another try
        QCOMPARE(rig.panel(4), QString("1"));
        QVERIFY(!rig.record()->isChecked() && rig.hold()->isEnabled());
        QVERIFY(blocker.open(QIODevice::ReadOnly));
        QCOMPARE(blocker.readAll(), QByteArray("old"));
    }

    // Closing the port keeps the recording; reopening continues its numbering.
    void recordingAcrossReopen()
    {
        Rig rig;
        QVERIFY(rig.open());
        rig.click(rig.record());
        QVERIFY(rig.line("F  10.000000 MHz"));
        rig.close();
        QVERIFY(rig.record()->isChecked() && !rig.record()->isEnabled());
        QVERIFY(rig.open());
        QVERIFY(rig.record()->isEnabled() && rig.hold()->isEnabled());
        QVERIFY(rig.line("F  10.000001 MHz"));
        QCOMPARE(rig.panel(4), QString("1"));
        // Hold pressed now ends the recording without the dialog and keeps the list.
        rig.click(rig.hold());
        QVERIFY(!rig.record()->isChecked() && rig.hold()->isChecked());
        QVERIFY(rig.dialogSuggestions.isEmpty());
        QCOMPARE(rig.form.records().count(), 2);
        QVERIFY(rig.line("F  10.000002 MHz"));
        QCOMPARE(rig.form.records().count(), 2); // no longer recording
    }

    // Closing the window during a recording ends the program without asking or writing.
    void closingWhileRecordingAsksNothing()
    {
        Rig rig;
        rig.form.show();
        QVERIFY(rig.open());
        rig.click(rig.record());
        QVERIFY(rig.line("F  10.000000 MHz"));
        QVERIFY(rig.form.close());
        QVERIFY(rig.dialogSuggestions.isEmpty());
        QVERIFY(!rig.form.link().isOpen());
        QCOMPARE(rig.form.exits, 0);
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_mainwindow.moc"
