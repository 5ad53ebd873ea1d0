#include "recording.h"

#include <QDir>
#include <QSaveFile>

QString clockText(const QTime &t)
{
    if (!t.isValid())
        return QString();
    return QStringLiteral("%1:%2:%3,%4").arg(t.hour()).arg(t.minute()).arg(t.second()).arg(t.msec());
}

QByteArray recordValue(const QByteArray &numericPart)
{
    QByteArray value = numericPart;
    value.replace('.', ',');
    return value;
}

void RecordLog::start() { m_lines.clear(); }

int RecordLog::add(const QString &clock, const QByteArray &numericPart)
{
    const int n = count();
    QByteArray line = QByteArray::number(n);
    line += ';';
    line += clock.toLatin1();
    line += ';';
    line += recordValue(numericPart);
    m_lines.append(line);
    return n;
}

int RecordLog::count() const { return int(m_lines.size()); }

void RecordLog::clear() { m_lines.clear(); }

const QList<QByteArray> &RecordLog::lines() const { return m_lines; }

QByteArray RecordLog::fileContents() const
{
    qsizetype size = 0;
    for (const QByteArray &line : m_lines)
        size += line.size() + 2;
    QByteArray contents;
    contents.reserve(size);
    for (const QByteArray &line : m_lines) {
        contents += line;
        contents += "\r\n";
    }
    return contents;
}

namespace {
QString cannotCreate(const QString &path, const QString &reason)
{
    QString message = QStringLiteral("Не удалось создать файл \"%1\".").arg(QDir::toNativeSeparators(path));
    if (!reason.isEmpty())
        message += QLatin1Char(' ') + reason;
    return message;
}
} // namespace

std::optional<QString> writeRecordFile(const QString &path, const QByteArray &contents)
{
    // QSaveFile writes a temporary file beside the target and renames it over the target
    // only once everything is on disk, so a full disk or a locked file cannot leave the
    // user with half of the new records and none of the old ones.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return cannotCreate(path, file.errorString());
    if (file.write(contents) != contents.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return cannotCreate(path, reason);
    }
    if (!file.commit())
        return cannotCreate(path, file.errorString());
    return std::nullopt;
}
