#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTime>

#include <optional>

// The time of day as the status bar and the records show it: hour ":" minute ":" second
// "," millisecond, no leading zeros ("9:5:7,42" for 09:05:07.042). Empty for an invalid time.
QString clockText(const QTime &t);

// The value field of a record: the numeric part of a display line with every '.' made ','.
QByteArray recordValue(const QByteArray &numericPart);

// The records of one recording, kept in memory until the recording ends.
class RecordLog
{
public:
    // A new recording begins with an empty list, so its first record is numbered 0.
    void start();
    // Appends "n;clock;value", n being the number of records before this one; returns n.
    int add(const QString &clock, const QByteArray &numericPart);
    int count() const;
    void clear();
    const QList<QByteArray> &lines() const;
    // The record file: every line followed by CR LF, no header. No records, no bytes.
    QByteArray fileContents() const;

private:
    QList<QByteArray> m_lines;
};

// Creates or replaces the file at path with contents, whole or not at all: a failed write
// leaves an existing file as it was. Returns the error message on failure.
std::optional<QString> writeRecordFile(const QString &path, const QByteArray &contents);
