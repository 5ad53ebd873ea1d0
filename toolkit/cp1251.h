#pragma once

#include <QByteArray>
#include <QString>

// Windows code page 1251 (Cyrillic). The counter's display bytes and the programs' own
// 8-bit texts are in it; labels and the clipboard need the Unicode text those bytes mean.
// A fixed table rather than the system's codecs, so the result is the same on every machine.
namespace Cp1251 {

// Every byte gives one character. 0x98, the one byte the code page leaves unassigned,
// gives U+FFFD.
QString toUnicode(const QByteArray &bytes);

// Every character gives one byte; a character the code page lacks (a surrogate pair
// counts as one character) gives '?'.
QByteArray fromUnicode(const QString &text);

} // namespace Cp1251
