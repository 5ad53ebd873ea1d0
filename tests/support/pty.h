#pragma once

// A pseudo-terminal that stands in for the counter in tests: the program opens the slave by
// its path, the test plays the device on the master.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

struct Pty
{
    int master = -1;
    QString path;

    Pty()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
            path = QString::fromLocal8Bit(::ptsname(master));
    }
    ~Pty() { hangUp(); }
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    void hangUp()
    {
        if (master >= 0)
            ::close(master);
        master = -1;
    }

    bool send(const QByteArray &data) const
    {
        return ::write(master, data.constData(), size_t(data.size())) == ssize_t(data.size());
    }

    // What the program wrote, waiting up to timeoutMs for count bytes.
    QByteArray receive(qsizetype count, int timeoutMs = 2000) const
    {
        QByteArray got;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count && !deadline.hasExpired()) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0)
                break;
            char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n > 0)
                got.append(buf, n);
        }
        return got;
    }

    // Everything written so far, without waiting.
    QByteArray drain() const { return receive(1 << 20, 50); }
};

inline double processCpuSeconds()
{
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}
