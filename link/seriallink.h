#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <exception>

class QSerialPort;

// Thrown by every failing operation; message() is the user-facing text.
class LinkError : public std::exception
{
public:
    explicit LinkError(QString m);
    const QString &message() const;
    const char *what() const noexcept override;

private:
    QString m_message;
    QByteArray m_what;
};

// The serial line to the counter: 8N1, no flow control, raw, exclusive, DTR and RTS on
// while open. Receive events arrive on the object's thread as rxChar(count); the handler
// reads. A read failure or a hang-up ends the receive events of that opening quietly.
class SerialLink : public QObject
{
    Q_OBJECT
public:
    static constexpr std::array<qint32, 15> kBaudRates{110,   300,   600,   1200,   2400,
                                                      4800,  9600,  14400, 19200,  38400,
                                                      56000, 57600, 115200, 128000, 256000};
    static constexpr int kDefaultBaudRateIndex = 8; // 19200 baud
    static constexpr qint64 kReadBufferSize = 2048;

    // Test seam: injectFault(f) makes the next operation of that kind fail with its message.
    enum class Fault { None, Open, SetCommState, Close, Write, Read, PortList };

    explicit SerialLink(QObject *parent = nullptr);
    ~SerialLink() override; // closes quietly

    void setPortName(const QString &name);
    QString portName() const;
    void setBaudRateIndex(int index);
    int baudRateIndex() const;

    void open();  // throws LinkError
    void close(); // throws LinkError; the device is released even when it throws
    // True from a successful open() until close(), even after a hang-up stopped the feed.
    bool isOpen() const;

    // Writes all of data and waits for it, at most 100 ms per character + 1000 ms.
    void write(const QByteArray &data);
    // What has already arrived, at most maxCount, without waiting.
    QByteArray read(qint64 maxCount);
    qint64 bytesAvailable() const;

    // The machine's serial ports, sorted as text without regard to case.
    static QStringList portNames();

    // Consumed by the next operation of that kind. Fault::PortList is taken by the next
    // portNames() call, which has no object; injectPortListFault() does the same.
    void injectFault(Fault f);
    static void injectPortListFault();

signals:
    void rxChar(qint64 count); // characters waiting (>= 1)
    void feedStopped();        // a read failure or hang-up ended receive events for this opening

private:
    bool takeFault(Fault f);
    void applyLineSettings(); // throws LinkError
    void releaseDevice();
    void stopFeed(bool deliverArrived);
    void finishStoppedFeed(quint64 opening, bool deliverArrived);
    void emitPendingRx(quint64 opening);
    void onReadyRead();

    QSerialPort *m_port = nullptr;     // the device of the current opening, while it feeds
    QPointer<QSerialPort> m_stopping;  // a device whose feed stopped, closed on the next turn
    QString m_portName;
    int m_baudRateIndex = kDefaultBaudRateIndex;
    bool m_open = false;
    bool m_feedStopped = false;
    bool m_inWrite = false;
    bool m_rxDuringWrite = false;
    quint64 m_opening = 0;  // tells deferred work of an earlier opening from the current one
    QByteArray m_leftover;  // received but unread when the feed stopped
    Fault m_fault = Fault::None;
};
