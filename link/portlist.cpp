#include "portlist.h"

#include "seriallink.h"

#include <algorithm>

QStringList sortPortNames(QStringList names)
{
    std::stable_sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    return names;
}

PortListPoller::PortListPoller(QObject *parent) : QObject(parent), m_source(&SerialLink::portNames)
{
    m_timer.setInterval(kDefaultIntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PortListPoller::poll);
}

void PortListPoller::setSource(Source source) { m_source = std::move(source); }

void PortListPoller::setInterval(int ms) { m_timer.setInterval(ms); }

int PortListPoller::interval() const { return m_timer.interval(); }

void PortListPoller::start() { m_timer.start(); }

void PortListPoller::stop() { m_timer.stop(); }

bool PortListPoller::isActive() const { return m_timer.isActive(); }

void PortListPoller::poll()
{
    QStringList names;
    try {
        names = m_source();
    } catch (const LinkError &e) {
        if (!m_failing) {
            m_failing = true;
            emit failed(e.message());
        }
        return;
    }
    m_failing = false;
    emit refreshed(sortPortNames(std::move(names)));
}
