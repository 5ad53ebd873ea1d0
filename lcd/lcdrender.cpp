#include "lcdrender.h"

#include "lcdchar.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <vector>

namespace Lcd {

namespace {

constexpr qint64 divTrunc(qint64 a, qint64 b) { return a / b; } // C++ truncates toward zero

// glibc's wmemset picks the widest stores the processor has; std::fill_n stays at SSE2.
void fill32(QRgb *p, qint64 n, QRgb c)
{
    static_assert(sizeof(wchar_t) == sizeof(QRgb));
    if (n > 0)
        std::wmemset(reinterpret_cast<wchar_t *>(p), wchar_t(c), std::size_t(n));
}

int clampSide(qint64 v) { return int(std::clamp<qint64>(v, 1, kMaxSide)); }

int channel(double x) { return int(std::clamp<long>(std::lround(x), 0, 255)); }

QRgb mapRgb(QRgb base, double (*f)(double))
{
    return qRgb(channel(f(qRed(base))), channel(f(qGreen(base))), channel(f(qBlue(base))));
}

// The drawing layer's one-pixel line: every pixel from the current position to the end point,
// the end point excluded, which becomes the new current position. Only axis-aligned lines occur.
class Pen
{
public:
    explicit Pen(QImage &img) : bits_(img.bits()), bpl_(img.bytesPerLine()), w_(img.width()), h_(img.height()) {}
    void moveTo(int x, int y) { x_ = x, y_ = y; }
    void lineTo(int x, int y, QRgb c)
    {
        if (y == y_) { // horizontal: one span of the row, clipped
            if (y >= 0 && y < h_) {
                // Pixels from x_ toward x, x excluded.
                const int from = std::max(0, x > x_ ? x_ : x + 1);
                const int to = std::min(w_, x > x_ ? x : x_ + 1);
                fill32(row(y) + from, to - from, c);
            }
        } else { // vertical (only axis-aligned lines occur)
            const int dy = y > y_ ? 1 : -1;
            if (x_ >= 0 && x_ < w_)
                for (int py = y_; py != y; py += dy)
                    if (py >= 0 && py < h_)
                        row(py)[x_] = c;
        }
        moveTo(x, y);
    }

private:
    QRgb *row(int y) const { return reinterpret_cast<QRgb *>(bits_ + qsizetype(y) * bpl_); }
    uchar *bits_;
    qsizetype bpl_;
    int w_, h_;
    int x_ = 0, y_ = 0;
};

void ring(Pen &pen, int x1, int y1, int x2, int y2, QRgb first, QRgb second)
{
    pen.moveTo(x2, y1);
    pen.lineTo(x1, y1, first);
    pen.lineTo(x1, y2, first);
    pen.moveTo(x2, y1);
    pen.lineTo(x2, y2, second);
    pen.lineTo(x1 - 1, y2, second);
}

// Horizontal extent [from, to) of row k of a dot of side s: the whole row for a square, the
// pixels whose centres lie within the inscribed circle for a round dot.
struct Span
{
    int from, to;
};
std::vector<Span> dotSpans(int s, TCellShape shape)
{
    std::vector<Span> spans(std::size_t(s), Span{0, s});
    if (shape == TCellShape::stRound) {
        const double r = s / 2.0;
        for (int k = 0; k < s; ++k) {
            const double dy = k + 0.5 - r;
            const double half = std::sqrt(std::max(0.0, r * r - dy * dy));
            // Pixel i is inside when its centre i + 0.5 lies within r +- half.
            const int from = int(std::ceil(r - half - 0.5 - 1e-9));
            const int to = int(std::floor(r + half - 0.5 + 1e-9)) + 1;
            spans[std::size_t(k)] = from < to ? Span{std::max(0, from), std::min(s, to)} : Span{0, 0};
        }
    }
    return spans;
}

} // namespace

Layout layout(const Props &p, QSize current)
{
    Layout l;
    l.S = std::clamp(p.cellSize, 1, kMaxCell);
    l.P = std::clamp(p.cellSpace, 0, kMaxCell);
    l.F = std::clamp(p.frameSize, 0, kMaxFrame);
    const qint64 S = l.S, P = l.P, F = l.F;
    qint64 W = current.width(), H = current.height();

    l.charWidth = int(5 * S + 6 * P);
    const qint64 n = p.autoSize ? std::max<qint64>(p.text.size(), 1)
                                : divTrunc(W - 2 * F + S, l.charWidth + S);
    // Beyond kMaxSide pixels no column can be seen; the cap keeps the products in range.
    const qint64 chars = std::min<qint64>(n, kMaxSide);
    l.chars = int(chars);
    l.columns = int(6 * chars - 1);
    l.matrixWidth = l.columns * S + (l.columns - 1) * P;
    l.matrixHeight = int(7 * (S + P) - 1);

    if (p.autoSize) {
        l.h = l.v = 1;
        W = 2 * F + l.matrixWidth + 2;
        H = 2 * F + l.matrixHeight + 2;
    } else {
        l.h = divTrunc(W - 2 * F - l.matrixWidth, 2);
        l.v = divTrunc(H - 2 * F - l.matrixHeight, 2);
    }
    if (W < 2 * F + l.charWidth)
        W = 2 * F + l.charWidth;
    if (H < 2 * F + 7 * (S + P) + 1)
        H = 2 * F + 7 * (S + P) + 1;
    l.size = QSize(clampSide(W), clampSide(H));
    return l;
}

BevelColours bevelColours(const Props &p)
{
    const QRgb base = resolveColour(p.frameColorStyle == TFrameColorStyle::stWindows ? clBtnFace
                                                                                      : p.frameColor);
    BevelColours c;
    c.highlight = p.frameColorStyle == TFrameColorStyle::stWindows
                      ? qRgb(255, 255, 255)
                      : mapRgb(base, [](double x) { return x / 4.637 + 200; });
    c.light = mapRgb(base, [](double x) { return x / 1.364 + 68; });
    c.shadow = mapRgb(base, [](double x) { return x / 1.372093; });
    c.darkShadow = p.frameHeight == TFrameHeight::Double
                       ? mapRgb(base, [](double x) { return x / 2.088495; })
                       : c.shadow;
    return c;
}

void render(QImage &img, const Props &p, const Layout &lay)
{
    const int W = img.width(), H = img.height();
    if (W <= 0 || H <= 0)
        return;
    const int F = lay.F;
    const qint64 S = lay.S, pitch = lay.S + lay.P;
    // One detach for the whole paint; scanLine() would check on every call.
    uchar *const bits = img.bits();
    const qsizetype bpl = img.bytesPerLine();
    auto line = [&](qint64 y) { return reinterpret_cast<QRgb *>(bits + qsizetype(y) * bpl); };

    // Dot geometry: the columns whose square meets the image, x0 + pitch*j in (-S, W).
    const qint64 x0 = F + lay.h, y0 = F + lay.v;
    const qint64 N = lay.columns;
    const qint64 jFirst = std::max<qint64>(0, x0 >= 0 ? 0 : (-x0 - S) / pitch + 1);
    const qint64 jLast = std::min<qint64>(N - 1, x0 >= W ? -1 : (W - 1 - x0) / pitch);
    const bool dots = jFirst <= jLast;
    const std::vector<Span> spans = dotSpans(lay.S, p.cellShape);

    // A row inside all four rings and on none of their horizontal edges has the same base
    // (frame, board, vertical bevel pixels) as every other such row. Within one dot band such
    // rows with the same dot span are identical: compose the first, copy it to the others,
    // and skip everything else for them. Each pixel is then written about once.
    auto plain = [&](qint64 y) { return y > F + 1 && y < H - F - 2 && y > 1 && y < H - 2; };
    std::vector<int> copyOf(std::size_t(H), -1);
    if (dots) {
        for (int r = 0; r < LcdChar::kRows; ++r) {
            const qint64 top = y0 + pitch * r;
            for (qint64 k = 1; k < S; ++k) {
                const qint64 y = top + k;
                if (y < 0 || y >= H || !plain(y))
                    continue;
                for (qint64 e = 0; e < k; ++e) {
                    const qint64 ye = top + e;
                    if (ye >= 0 && plain(ye) && copyOf[std::size_t(ye)] < 0 &&
                        spans[std::size_t(e)].from == spans[std::size_t(k)].from &&
                        spans[std::size_t(e)].to == spans[std::size_t(k)].to) {
                        copyOf[std::size_t(y)] = int(ye);
                        break;
                    }
                }
            }
        }
    }

    // Frame band, then the board from (F, F) to (W-F-1, H-F-1).
    const QRgb frame = resolveColour(p.frameColor), board = resolveColour(p.boardColor);
    const int bx0 = std::min(F, W), bx1 = std::max(bx0, W - F);
    for (int y = 0; y < H; ++y) {
        if (copyOf[std::size_t(y)] >= 0)
            continue;
        QRgb *row = line(y);
        if (y < F || y >= H - F) {
            fill32(row, W, frame);
        } else {
            fill32(row, bx0, frame);
            fill32(row + bx0, bx1 - bx0, board);
            fill32(row + bx1, W - bx1, frame);
        }
    }

    // Bevels, later rings over earlier ones.
    if (p.frameStyle != TFrameStyle::None) {
        const BevelColours c = bevelColours(p);
        const bool twice = p.frameHeight == TFrameHeight::Double;
        Pen pen(img);
        if (p.frameStyle == TFrameStyle::Raised || p.frameStyle == TFrameStyle::Relief) {
            ring(pen, 0, 0, W - 1, H - 1, c.highlight, c.darkShadow);
            if (twice)
                ring(pen, 1, 1, W - 2, H - 2, c.light, c.shadow);
        }
        if (p.frameStyle == TFrameStyle::Lowered || p.frameStyle == TFrameStyle::Relief) {
            ring(pen, F, F, W - F - 1, H - F - 1, c.shadow, c.highlight);
            if (twice)
                ring(pen, F + 1, F + 1, W - F - 2, H - F - 2, c.darkShadow, c.light);
        }
    }
    if (!dots)
        return;

    // Dots. Each dot takes its final colour at once (unlit, lit, or board in a gap column with
    // CharSpace): the later steps cover earlier dots of the same shape exactly.
    const QRgb on = resolveColour(p.cellColorOn), off = resolveColour(p.cellColorOff);
    const std::size_t count = std::size_t(jLast - jFirst + 1);
    std::vector<QRgb> colours(count);
    const qint64 textLen = p.text.size();
    const auto *text = reinterpret_cast<const unsigned char *>(p.text.constData());

    const LcdChar::Table &glyphs = LcdChar::table();
    for (int r = 0; r < LcdChar::kRows; ++r) {
        // Column j is dot column k of character position i; both advance together.
        qint64 i = jFirst / 6;
        int k = int(jFirst % 6);
        int glyphRow = i < textLen ? glyphs[std::size_t(text[i]) * LcdChar::kRows + std::size_t(r)] : 0;
        for (std::size_t c = 0; c < count; ++c) {
            QRgb colour = off;
            if (k == 5) {
                if (p.charSpace)
                    colour = board;
            } else if ((glyphRow >> (4 - k)) & 1) {
                colour = on;
            }
            colours[c] = colour;
            if (++k == 6) {
                k = 0;
                ++i;
                glyphRow = i < textLen ? glyphs[std::size_t(text[i]) * LcdChar::kRows + std::size_t(r)] : 0;
            }
        }
        const qint64 top = y0 + pitch * r;
        for (qint64 k = 0; k < S; ++k) {
            const qint64 y = top + k;
            if (y < 0 || y >= H)
                continue;
            if (copyOf[std::size_t(y)] >= 0) {
                std::memcpy(line(y), line(copyOf[std::size_t(y)]), std::size_t(W) * sizeof(QRgb));
                continue;
            }
            const Span sp = spans[std::size_t(k)];
            QRgb *row = line(y);
            qint64 left = x0 + pitch * jFirst;
            for (std::size_t c = 0; c < count; ++c, left += pitch) {
                const qint64 from = std::max<qint64>(0, left + sp.from);
                const qint64 to = std::min<qint64>(W, left + sp.to);
                const QRgb colour = colours[c];
                for (qint64 x = from; x < to; ++x)
                    row[x] = colour;
            }
        }
    }
}

QImage paint(const Props &p, QSize current)
{
    const Layout lay = layout(p, current);
    QImage img(lay.size, QImage::Format_RGB32);
    render(img, p, lay);
    return img;
}

} // namespace Lcd
