#include "displayfeed.h"

#include <cstring>

namespace {
constexpr qsizetype kDisplayLineMin = 16; // shorter lines are never shown
constexpr int kSteps = 10;
} // namespace

void DisplayFeed::append(const char *data, qsizetype size)
{
    const qsizetype room = kMaxLineLength - m_line.size();
    if (size > room) {
        m_cut = true;
        size = room;
    }
    if (size > 0)
        m_line.append(data, size);
}

DisplayFeed::Event DisplayFeed::receive(const QByteArray &chunk, bool hold)
{
    const char *p = chunk.constData();
    const char *const end = p + chunk.size();
    while (p < end) {
        m_endsWithPair = false;
        const auto *lf = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
        const char *const stop = lf ? lf : end;
        if (stop > p) {
            append(p, stop - p);
            m_endsWithCr = stop[-1] == '\r';
        }
        if (!lf)
            break;
        if (m_endsWithCr) {
            // The CR belongs to the pair, not to the line, unless the bound already cut it.
            if (!m_cut)
                m_line.chop(1);
            m_previous.swap(m_line);
            m_line.clear();
            m_cut = false;
            m_endsWithPair = true;
        } else {
            append(lf, 1); // a lone LF is an ordinary character
        }
        m_endsWithCr = false;
        p = lf + 1;
    }

    Event event;
    event.lastLine = lastLine();
    event.displayLine = event.lastLine.size() >= kDisplayLineMin;
    if (!hold && !chunk.isEmpty() && chunk.back() == '\n') {
        m_stepCount = m_stepCount % kSteps + 1;
        event.stepped = true;
    }
    event.stepCount = m_stepCount;
    return event;
}

QByteArray DisplayFeed::lastLine() const { return m_endsWithPair ? m_previous : m_line; }

int DisplayFeed::stepCount() const { return m_stepCount; }

QByteArray numericPart(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const char c : text) {
        if ((c >= '0' && c <= '9') || c == '.' || c == ',')
            out.append(c);
    }
    return out;
}
