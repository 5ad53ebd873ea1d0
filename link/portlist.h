#pragma once

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

// Port names in text order without regard to case, as the port chooser lists them
// (COM1, COM10, COM2).
QStringList sortPortNames(QStringList names);

// Refreshes the list of the machine's serial ports on a timer. A failure is reported once
// per run of failures, so a machine whose port list cannot be read does not raise a box a
// second.
class PortListPoller : public QObject
{
    Q_OBJECT
public:
    static constexpr int kDefaultIntervalMs = 1000;
    using Source = std::function<QStringList()>; // may throw LinkError

    explicit PortListPoller(QObject *parent = nullptr);

    void setSource(Source source); // default SerialLink::portNames
    void setInterval(int ms);
    int interval() const;

    void start();
    void stop();
    bool isActive() const;

public slots:
    void poll(); // one refresh now, as a tick does

signals:
    void refreshed(const QStringList &sorted);
    void failed(const QString &message);

private:
    QTimer m_timer;
    Source m_source;
    bool m_failing = false;
};
