// qv274-sim: a QV-274 frequency counter on a pseudo-terminal, for trying the panels without
// the instrument. It repeats its 16-character display as CR LF lines and obeys the six key
// letters. Fault options make it misbehave the ways a real line can.
//
// Prints "PORT <path>" (the end a panel opens) on stdout; --link PATH also points a symlink
// there. Keys received are logged on stderr as "KEY M". Ends cleanly on SIGTERM or SIGINT.

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <random>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int) { g_stop = 1; }

struct Options
{
    int intervalMs = 200;
    std::string link;
    bool split = false, multi = false, shortLines = false, garbage = false, noCrlf = false,
         burst = false, reconnect = false;
    double hangupAfter = -1;
};

void usage()
{
    std::fprintf(stderr,
                 "usage: qv274-sim [--interval MS] [--link PATH] [--split] [--multi] [--short]\n"
                 "                 [--garbage] [--no-crlf] [--burst]\n"
                 "                 [--hangup-after SECONDS [--reconnect]]\n");
}

// The counter's display is 8-bit Windows-1251; the texts here are written in UTF-8.
std::string cp1251(std::string_view utf8)
{
    std::string out;
    for (size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            out += char(c);
            continue;
        }
        if ((c & 0xE0) != 0xC0 || i + 1 >= utf8.size()) {
            out += '?';
            continue;
        }
        const unsigned cp = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        if (cp >= 0x410 && cp <= 0x44F)
            out += char(0xC0 + (cp - 0x410));
        else if (cp == 0x401)
            out += char(0xA8); // Ё
        else if (cp == 0x451)
            out += char(0xB8); // ё
        else
            out += '?';
    }
    return out;
}

std::string pad16(std::string s)
{
    s.resize(16, ' ');
    return s;
}

// The instrument: a reading with jitter, and a small menu driven by the keys.
class Counter
{
public:
    explicit Counter(std::mt19937 &rng) : m_rng(rng) {}

    std::string display()
    {
        if (m_messageLines > 0) {
            --m_messageLines;
            return m_message;
        }
        switch (m_mode) {
        case Mode::Measure: return reading();
        case Mode::Menu: return pad16(cp1251(itemText(m_item, false)));
        case Mode::Edit: return pad16(cp1251(itemText(m_item, true)));
        }
        return {};
    }

    void key(char k)
    {
        if (k == 'C') { // MENU+OK: back to the factory settings
            m_mode = Mode::Measure;
            m_item = 0;
            m_gate = 1;
            m_brightness = 3;
            m_filter = false;
            m_period = false;
            flash(pad16(cp1251("     СБРОС")));
            return;
        }
        switch (m_mode) {
        case Mode::Measure:
            if (k == 'M')
                m_mode = Mode::Menu;
            else if (k == 'U' || k == 'D')
                m_period = !m_period;
            else if (k == 'A') { // UP+DOWN: the next gate time at once
                m_gate = (m_gate + 1) % 3;
                flash(pad16(cp1251(itemText(0, false))));
            }
            break;
        case Mode::Menu:
            if (k == 'M')
                m_mode = Mode::Measure;
            else if (k == 'U')
                m_item = (m_item + kItems - 1) % kItems;
            else if (k == 'D')
                m_item = (m_item + 1) % kItems;
            else if (k == 'K') {
                m_saved = {m_gate, m_brightness, int(m_filter)};
                m_mode = Mode::Edit;
            }
            break;
        case Mode::Edit:
            if (k == 'U' || k == 'D')
                change(k == 'U' ? 1 : -1);
            else if (k == 'K')
                m_mode = Mode::Menu;
            else if (k == 'M') { // leave without keeping the change
                m_gate = m_saved[0];
                m_brightness = m_saved[1];
                m_filter = m_saved[2] != 0;
                m_mode = Mode::Menu;
            }
            break;
        }
    }

private:
    enum class Mode { Measure, Menu, Edit };
    static constexpr int kItems = 3;

    std::string reading()
    {
        // One count of the last digit per gate time: 10 Hz at 0.1 s, 1 Hz at 1 s, 0.1 Hz at 10 s.
        const int decimals = 5 + m_gate;
        const double resolution = std::pow(10.0, -decimals) * 1e6;
        m_drift += std::normal_distribution<double>(0.0, 0.2 * resolution)(m_rng);
        m_drift = std::clamp(m_drift, -20 * resolution, 20 * resolution);
        const double noise = std::normal_distribution<double>(0.0, 1.5 * resolution)(m_rng);
        const double hz = 10e6 + 3 * resolution + m_drift + (m_filter ? noise / 4 : noise);
        char text[64];
        if (m_period)
            std::snprintf(text, sizeof text, "P%11.*f ns ", decimals - 2, 1e9 / hz);
        else
            std::snprintf(text, sizeof text, "F%11.*f MHz", decimals, hz / 1e6);
        return pad16(text);
    }

    std::string itemText(int item, bool editing) const
    {
        static const char *const gates[] = {"0.1с", "1с", "10с"};
        const std::string value = item == 0   ? gates[m_gate]
                                  : item == 1 ? std::to_string(m_brightness)
                                              : (m_filter ? "вкл" : "выкл");
        // Browsing shows the setting; changing it puts the value in brackets.
        static const char *const names[][2] = {
            {"Время счета ", "Время: "}, {"Яркость ", "Яркость: "}, {"Фильтр ", "Фильтр: "}};
        const std::string name = names[item][editing ? 1 : 0];
        return editing ? name + "<" + value + ">" : name + value;
    }

    void change(int by)
    {
        if (m_item == 0)
            m_gate = std::clamp(m_gate + by, 0, 2);
        else if (m_item == 1)
            m_brightness = std::clamp(m_brightness + by, 1, 5);
        else
            m_filter = !m_filter;
    }

    void flash(std::string text)
    {
        m_message = std::move(text);
        m_messageLines = 5;
    }

    std::mt19937 &m_rng;
    Mode m_mode = Mode::Measure;
    int m_item = 0;
    int m_gate = 1; // 0.1 s, 1 s, 10 s
    int m_brightness = 3;
    bool m_filter = false;
    bool m_period = false;
    std::array<int, 3> m_saved{};
    double m_drift = 0;
    std::string m_message;
    int m_messageLines = 0;
};

// The counter's end of the line: the master of a pseudo-terminal whose slave the panel opens.
class Line
{
public:
    bool open()
    {
        termios raw{};
        ::cfmakeraw(&raw);
        ::cfsetspeed(&raw, B19200);
        raw.c_cflag |= CLOCAL | CREAD;
        int slave = -1;
        char name[256] = {};
        if (::openpty(&m_master, &slave, name, &raw, nullptr) != 0)
            return false;
        // Not kept open: with no slave open the master reports a hang-up, which tells us
        // whether a panel is listening.
        ::close(slave);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_path = name;
        return true;
    }
    void close()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    int fd() const { return m_master; }
    const std::string &path() const { return m_path; }

    // Whether a panel has the port open now.
    bool listened() const
    {
        pollfd p{m_master, POLLOUT, 0};
        return ::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
    }

private:
    int m_master = -1;
    std::string m_path;
};

bool relink(const std::string &link, const std::string &target)
{
    const std::string tmp = link + ".new";
    ::unlink(tmp.c_str());
    if (::symlink(target.c_str(), tmp.c_str()) != 0 || ::rename(tmp.c_str(), link.c_str()) != 0) {
        std::fprintf(stderr, "cannot link %s: %s\n", link.c_str(), std::strerror(errno));
        return false;
    }
    return true;
}

void announce(const Line &line)
{
    std::printf("PORT %s\n", line.path().c_str());
    std::fflush(stdout);
}

struct Piece
{
    std::string bytes;
    Clock::time_point due;
};

} // namespace

int main(int argc, char **argv)
{
    Options opt;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--interval" && hasValue)
            opt.intervalMs = std::max(1, std::atoi(argv[++i]));
        else if (a == "--link" && hasValue)
            opt.link = argv[++i];
        else if (a == "--hangup-after" && hasValue)
            opt.hangupAfter = std::atof(argv[++i]);
        else if (a == "--split")
            opt.split = true;
        else if (a == "--multi")
            opt.multi = true;
        else if (a == "--short")
            opt.shortLines = true;
        else if (a == "--garbage")
            opt.garbage = true;
        else if (a == "--no-crlf")
            opt.noCrlf = true;
        else if (a == "--burst")
            opt.burst = true;
        else if (a == "--reconnect")
            opt.reconnect = true;
        else {
            usage();
            return a == "--help" ? 0 : 2;
        }
    }

    struct sigaction sa{};
    sa.sa_handler = onSignal; // no SA_RESTART: poll() must wake up
    ::sigaction(SIGTERM, &sa, nullptr);
    ::sigaction(SIGINT, &sa, nullptr);

    Line line;
    if (!line.open()) {
        std::fprintf(stderr, "cannot open a pseudo-terminal: %s\n", std::strerror(errno));
        return 1;
    }
    if (!opt.link.empty() && !relink(opt.link, line.path()))
        return 1;
    announce(line);

    std::mt19937 rng(std::random_device{}());
    const auto chance = [&](double p) { return std::uniform_real_distribution<>(0, 1)(rng) < p; };
    Counter counter(rng);
    std::deque<Piece> out;
    const auto start = Clock::now();
    bool hungUp = false;
    auto nextTick = start;

    // One refresh of the display, as pieces to write, shaped by the fault options.
    const auto tick = [&](Clock::time_point now) {
        std::string text;
        int lines = opt.multi ? std::uniform_int_distribution<>(2, 4)(rng) : 1;
        if (opt.burst)
            lines *= 64; // fewer, larger writes: the line, not the loop, should be the limit
        for (int i = 0; i < lines; ++i) {
            if (opt.shortLines && chance(0.3))
                text += counter.display().substr(0, std::uniform_int_distribution<>(0, 8)(rng))
                        + "\r\n";
            if (opt.garbage && chance(0.15)) {
                const int n = std::uniform_int_distribution<>(1, 12)(rng);
                for (int j = 0; j < n; ++j)
                    text += char(std::uniform_int_distribution<>(0, 255)(rng));
            }
            text += counter.display();
            if (!opt.noCrlf)
                text += "\r\n";
        }
        if (!opt.split) {
            out.push_back({text, now});
            return;
        }
        // Cut between CR and LF half of the time, elsewhere otherwise; the tail comes later.
        size_t cut = text.size() - 1;
        if (opt.noCrlf || chance(0.5))
            cut = std::uniform_int_distribution<size_t>(1, text.size() - 1)(rng);
        const auto later = now + milliseconds(std::max(1, opt.intervalMs / 4));
        out.push_back({text.substr(0, cut), now});
        out.push_back({text.substr(cut), later});
    };

    while (!g_stop) {
        auto now = Clock::now();
        if (opt.hangupAfter >= 0 && !hungUp
            && now - start >= std::chrono::duration<double>(opt.hangupAfter)) {
            hungUp = true;
            std::fprintf(stderr, "HANGUP\n");
            line.close();
            out.clear();
            if (!opt.reconnect)
                break;
            if (!line.open() || (!opt.link.empty() && !relink(opt.link, line.path())))
                break;
            announce(line);
        }

        const bool listened = line.listened();
        if (!listened)
            out.clear(); // nobody at the other end: like a UART, the counter talks into the void
        if (now >= nextTick || (opt.burst && out.empty())) {
            if (listened && out.empty()) // a refresh that cannot go out is dropped
                tick(now);
            nextTick = now + milliseconds(opt.intervalMs);
        }

        // Write what is due.
        while (listened && !out.empty() && out.front().due <= now) {
            Piece &p = out.front();
            const ssize_t n = ::write(line.fd(), p.bytes.data(), p.bytes.size());
            if (n < 0)
                break; // full (or just closed): wait for room
            p.bytes.erase(0, size_t(n));
            if (!p.bytes.empty())
                break;
            out.pop_front();
        }

        // Sleep until the next thing to do; a full line waits for room instead of ticks.
        const bool blocked = listened && !out.empty() && out.front().due <= now;
        auto wake = blocked ? Clock::time_point::max() : nextTick;
        if (!out.empty() && !blocked)
            wake = std::min(wake, out.front().due);
        if (opt.hangupAfter >= 0 && !hungUp)
            wake = std::min(wake, start + std::chrono::duration_cast<Clock::duration>(
                                              std::chrono::duration<double>(opt.hangupAfter)));
        int timeout = -1;
        if (opt.burst && listened && out.empty())
            timeout = 0;
        else if (wake != Clock::time_point::max())
            timeout = int(std::max<Clock::rep>(
                0, std::chrono::duration_cast<milliseconds>(wake - now).count() + 1));
        if (!listened)
            timeout = timeout < 0 ? 50 : std::min(timeout, 50); // look for a panel to appear

        // A hung-up master is always ready, so it is left out while nobody listens.
        pollfd p{listened ? line.fd() : -1, short(POLLIN | (blocked ? POLLOUT : 0)), 0};
        if (::poll(&p, 1, timeout) < 0)
            continue; // a signal
        if (p.revents & POLLIN) {
            char keys[64];
            const ssize_t n = ::read(line.fd(), keys, sizeof keys);
            for (ssize_t i = 0; i < n; ++i) {
                const char k = keys[i];
                if (k != 0 && std::strchr("MUDKAC", k)) {
                    std::fprintf(stderr, "KEY %c\n", k);
                    counter.key(k);
                    nextTick = Clock::now(); // show the effect at once
                } else {
                    std::fprintf(stderr, "BYTE 0x%02x\n", static_cast<unsigned char>(k));
                }
            }
        }
    }

    line.close();
    if (!opt.link.empty())
        ::unlink(opt.link.c_str());
    return 0;
}
