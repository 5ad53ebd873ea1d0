#pragma once

#include <QByteArray>

// The received text as the display needs it: the counter's lines, split at CR LF pairs.
// Only the last line is ever consulted, so only it (and the line before a final CR LF) is
// kept, and a receive event costs the same however much was received before.
class DisplayFeed
{
public:
    // A device sending no CR LF (wrong speed, a stuck line) must not grow memory or cost;
    // 4096 bytes is far more than any display use needs.
    static constexpr qsizetype kMaxLineLength = 4096;

    struct Event
    {
        QByteArray lastLine;
        bool displayLine = false; // lastLine is longer than 15 characters
        bool stepped = false;     // the exchange indicator moved
        int stepCount = 0;
    };

    // One receive event: append the chunk, take the last line, step the exchange count
    // unless hold.
    Event receive(const QByteArray &chunk, bool hold);

    QByteArray lastLine() const;
    int stepCount() const; // 0 at start, then 1..10 (10 -> 1 wraps)

private:
    void append(const char *data, qsizetype size);

    QByteArray m_line;          // the line still arriving: its first kMaxLineLength bytes
    QByteArray m_previous;      // the line before the last CR LF
    bool m_cut = false;         // m_line lost bytes beyond the bound
    bool m_endsWithCr = false;  // the last byte received was CR
    bool m_endsWithPair = false; // the text ends with CR LF: the last line is m_previous
    int m_stepCount = 0;
};

// The text with every character but the digits, '.' and ',' removed.
QByteArray numericPart(const QByteArray &text);
