#include "seriallink.h"

#include "portlist.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>

#include <atomic>

#include <cerrno>
#include <dirent.h>
#include <mutex>
#include <sys/file.h>
#include <sys/ioctl.h>

namespace {

const QString kMissing = QStringLiteral("Попытка открыть несуществующий COM-порт");
const QString kBusy = QStringLiteral("Порт занят другой программой");
const QString kSetupComm = QStringLiteral("Ошибка функции SetupComm");
const QString kSetCommState = QStringLiteral("Ошибка функции SetCommState");
const QString kEscapeCommFunction = QStringLiteral("Ошибка функции EscapeCommFunction");
const QString kPurgeComm = QStringLiteral("Ошибка функции PurgeComm");
const QString kWriteFailed = QStringLiteral("Ошибка записи в порт");
const QString kReadFailed = QStringLiteral("Ошибка чтения из порта");
const QString kPortListFailed = QStringLiteral("Ошибка обращения к системному реестру");

// The counter's write time-outs: 100 ms per character plus 1000 ms.
constexpr qint64 kWriteMsPerChar = 100;
constexpr qint64 kWriteMsConstant = 1000;

std::atomic<bool> g_portListFault{false};

// A device without modem lines (a pseudo-terminal, some USB bridges) refuses DTR and RTS;
// the link works without them.
bool modemLinesMissing(int err) { return err == ENOTTY || err == EINVAL || err == ENOTSUP; }

// Where QSerialPort looks for a port name: a path as it is, a bare name under /dev.
QString systemLocation(const QString &name)
{
    return name.startsWith(QLatin1Char('/')) ? name : QStringLiteral("/dev/") + name;
}

// The names under /sys/class/tty, in directory order; empty where there is no such folder.
QByteArray ttyDeviceKey()
{
    QByteArray key;
    if (DIR *dir = ::opendir("/sys/class/tty")) {
        while (const dirent *entry = ::readdir(dir)) {
            key += entry->d_name;
            key += '\n';
        }
        ::closedir(dir);
    }
    return key;
}

} // namespace

LinkError::LinkError(QString m) : m_message(std::move(m)), m_what(m_message.toUtf8()) {}

const QString &LinkError::message() const { return m_message; }

const char *LinkError::what() const noexcept { return m_what.constData(); }

SerialLink::SerialLink(QObject *parent) : QObject(parent) {}

SerialLink::~SerialLink()
{
    try {
        close();
    } catch (const LinkError &) {
        // Nobody is left to tell; the device is released all the same.
    }
}

void SerialLink::setPortName(const QString &name) { m_portName = name; }

QString SerialLink::portName() const { return m_portName; }

void SerialLink::setBaudRateIndex(int index) { m_baudRateIndex = index; }

int SerialLink::baudRateIndex() const { return m_baudRateIndex; }

bool SerialLink::isOpen() const { return m_open; }

void SerialLink::injectFault(Fault f)
{
    if (f == Fault::PortList)
        injectPortListFault();
    else
        m_fault = f;
}

void SerialLink::injectPortListFault() { g_portListFault = true; }

bool SerialLink::takeFault(Fault f)
{
    if (m_fault != f)
        return false;
    m_fault = Fault::None;
    return true;
}

void SerialLink::open()
{
    if (m_open)
        return;
    releaseDevice();
    if (takeFault(Fault::Open))
        throw LinkError(kSetupComm);
    if (m_portName.trimmed().isEmpty())
        throw LinkError(kMissing);

    auto *port = new QSerialPort(m_portName, this);
    // Set before opening too, so the line never runs at QSerialPort's defaults.
    if (m_baudRateIndex >= 0 && m_baudRateIndex < int(kBaudRates.size()))
        port->setBaudRate(kBaudRates[size_t(m_baudRateIndex)]);
    if (!port->open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = port->error();
        delete port;
        // Checked apart from the error: QSerialPort takes its lock file before the device,
        // so a missing port can come back as a permission error while someone else tries it.
        if (error == QSerialPort::DeviceNotFoundError
            || !QFileInfo::exists(systemLocation(m_portName)))
            throw LinkError(kMissing);
        if (error == QSerialPort::PermissionError)
            throw LinkError(kBusy);
        if (error == QSerialPort::UnsupportedOperationError)
            throw LinkError(kSetCommState); // the device opened but refused the line speed
        throw LinkError(kSetupComm);
    }
    // TIOCEXCL does not stop root, and the lock file is named after the path, so a second
    // name for the same device (a symlink) would get through; an flock on the device does not.
    if (::flock(port->handle(), LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        port->close();
        delete port;
        throw LinkError(kBusy);
    }

    m_port = port;
    try {
        applyLineSettings();
    } catch (const LinkError &) {
        releaseDevice();
        throw;
    }

    connect(port, &QSerialPort::readyRead, this, &SerialLink::onReadyRead);
    connect(port, &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        // Only these end the feed; NoError comes too, and refused modem lines are harmless.
        if (e == QSerialPort::ReadError || e == QSerialPort::ResourceError)
            stopFeed(true);
    });
    ++m_opening;
    m_open = true;
    m_feedStopped = false;
    m_leftover.clear();
}

void SerialLink::applyLineSettings()
{
    if (takeFault(Fault::SetCommState))
        throw LinkError(kSetCommState);
    if (m_baudRateIndex < 0 || m_baudRateIndex >= int(kBaudRates.size()))
        throw LinkError(kSetCommState);
    // Raw (binary) mode with the receiver on is set by QSerialPort::open itself.
    const bool ok = m_port->setBaudRate(kBaudRates[size_t(m_baudRateIndex)])
                    && m_port->setDataBits(QSerialPort::Data8)
                    && m_port->setParity(QSerialPort::NoParity)
                    && m_port->setStopBits(QSerialPort::OneStop)
                    && m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!ok)
        throw LinkError(kSetCommState);
    m_port->setReadBufferSize(kReadBufferSize);

    int lines = TIOCM_DTR | TIOCM_RTS;
    ::ioctl(m_port->handle(), TIOCMBIS, &lines); // refused by devices without modem lines
}

void SerialLink::close()
{
    if (!m_open) {
        releaseDevice();
        return;
    }
    m_open = false;
    ++m_opening;
    m_leftover.clear();

    QString failure;
    if (m_port) {
        int lines = TIOCM_DTR | TIOCM_RTS;
        if (::ioctl(m_port->handle(), TIOCMBIC, &lines) != 0 && !modemLinesMissing(errno))
            failure = kEscapeCommFunction;
        if (!m_port->clear(QSerialPort::AllDirections) && failure.isEmpty())
            failure = kPurgeComm;
    }
    if (takeFault(Fault::Close) && failure.isEmpty())
        failure = kEscapeCommFunction;
    releaseDevice();
    if (!failure.isEmpty())
        throw LinkError(failure);
}

void SerialLink::releaseDevice()
{
    if (m_port) {
        m_port->disconnect(this);
        m_port->close();
        m_port->deleteLater(); // we may be inside one of its signals
        m_port = nullptr;
    }
    if (m_stopping) {
        m_stopping->close();
        m_stopping->deleteLater();
        m_stopping = nullptr;
    }
}

void SerialLink::stopFeed(bool deliverArrived)
{
    if (!m_port || m_feedStopped)
        return;
    m_feedStopped = true;
    // QSerialPort keeps retrying a dead device and reporting each failure, which would
    // spin a core. Closing it inside its own error signal is not safe, so cut it off now
    // and close it on the next turn of the event loop.
    m_stopping = m_port;
    m_port->disconnect(this);
    m_port = nullptr;
    const quint64 opening = m_opening;
    QMetaObject::invokeMethod(
        this, [this, opening, deliverArrived] { finishStoppedFeed(opening, deliverArrived); },
        Qt::QueuedConnection);
}

void SerialLink::finishStoppedFeed(quint64 opening, bool deliverArrived)
{
    if (opening != m_opening || !m_stopping)
        return;
    // What arrived before a hang-up still belongs to the handler; after a failed read no
    // further receive event comes for this opening.
    if (deliverArrived)
        m_leftover += m_stopping->readAll();
    else
        m_leftover.clear();
    m_stopping->close();
    m_stopping->deleteLater();
    m_stopping = nullptr;
    if (!m_leftover.isEmpty())
        emit rxChar(m_leftover.size());
    if (opening == m_opening)
        emit feedStopped();
}

void SerialLink::onReadyRead()
{
    if (m_inWrite) {
        // The receive handler must not run inside a key press's write; it runs right after.
        m_rxDuringWrite = true;
        return;
    }
    emitPendingRx(m_opening);
}

void SerialLink::emitPendingRx(quint64 opening)
{
    if (opening != m_opening || !m_port)
        return;
    const qint64 count = bytesAvailable();
    if (count > 0)
        emit rxChar(count);
}

void SerialLink::write(const QByteArray &data)
{
    if (takeFault(Fault::Write) || !m_open || !m_port)
        throw LinkError(kWriteFailed);
    if (data.isEmpty())
        return;

    QSerialPort *port = m_port;
    m_inWrite = true;
    bool ok = port->write(data) == data.size();
    const QDeadlineTimer deadline(kWriteMsPerChar * data.size() + kWriteMsConstant);
    while (ok && m_port == port && port->bytesToWrite() > 0) {
        if (deadline.hasExpired() || !port->waitForBytesWritten(int(deadline.remainingTime())))
            ok = false;
    }
    ok = ok && m_port == port; // a hang-up during the wait loses the write
    m_inWrite = false;
    if (!ok && m_port == port)
        port->clear(QSerialPort::Output); // a key press must not go out late
    if (m_rxDuringWrite) {
        m_rxDuringWrite = false;
        const quint64 opening = m_opening;
        QMetaObject::invokeMethod(this, [this, opening] { emitPendingRx(opening); },
                                  Qt::QueuedConnection);
    }
    if (!ok)
        throw LinkError(kWriteFailed);
}

QByteArray SerialLink::read(qint64 maxCount)
{
    if (takeFault(Fault::Read)) {
        stopFeed(false);
        throw LinkError(kReadFailed);
    }
    if (!m_open)
        throw LinkError(kReadFailed);
    QByteArray out;
    if (maxCount <= 0)
        return out;
    if (!m_leftover.isEmpty()) {
        out = m_leftover.left(maxCount);
        m_leftover.remove(0, out.size());
    }
    if (m_port && out.size() < maxCount) {
        const qint64 have = out.size();
        out.resize(maxCount);
        const qint64 got = m_port->read(out.data() + have, maxCount - have);
        if (got < 0) {
            stopFeed(false);
            throw LinkError(kReadFailed);
        }
        out.resize(have + got);
    }
    return out;
}

qint64 SerialLink::bytesAvailable() const
{
    return m_leftover.size() + (m_port ? m_port->bytesAvailable() : 0);
}

QStringList SerialLink::portNames()
{
    if (g_portListFault.exchange(false))
        throw LinkError(kPortListFailed);
    // Enumerating asks every tty device in turn (about 12 ms of CPU here, once a second).
    // The answer can change only when the set of tty devices does (an adapter plugged in or
    // pulled), so a listing of the kernel's tty directory decides whether to ask again.
    static std::mutex mutex;
    static QByteArray cachedKey;
    static QStringList cachedNames;
    const std::lock_guard lock(mutex);
    const QByteArray key = ttyDeviceKey();
    if (!key.isEmpty() && key == cachedKey)
        return cachedNames;
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names << info.portName();
    cachedNames = sortPortNames(names);
    cachedKey = key;
    return cachedNames;
}
