#include "errorbox.h"

#include <QApplication>
#include <QMessageBox>

namespace {
ErrorBox::Sink &sink()
{
    static ErrorBox::Sink s;
    return s;
}
} // namespace

QString ErrorBox::boxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ErrorBox::show(const QString &message, QWidget *parent)
{
    const QString text = boxText(message);
    if (sink()) {
        sink()(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

void ErrorBox::setSink(Sink s) { sink() = std::move(s); }
