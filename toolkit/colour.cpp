#include "colour.h"

#include <array>

namespace {
// Indexed as GetSysColor's COLOR_* constants.
constexpr std::array<QRgb, 31> kSystemColours = {
    qRgb(212, 208, 200), // 0  scroll bar
    qRgb(0, 78, 152),    // 1  desktop
    qRgb(0, 84, 227),    // 2  active caption
    qRgb(122, 150, 223), // 3  inactive caption
    qRgb(255, 255, 255), // 4  menu
    qRgb(255, 255, 255), // 5  window
    qRgb(0, 0, 0),       // 6  window frame
    qRgb(0, 0, 0),       // 7  menu text
    qRgb(0, 0, 0),       // 8  window text
    qRgb(255, 255, 255), // 9  caption text
    qRgb(212, 208, 200), // 10 active border
    qRgb(212, 208, 200), // 11 inactive border
    qRgb(128, 128, 128), // 12 application workspace
    qRgb(49, 106, 197),  // 13 highlight
    qRgb(255, 255, 255), // 14 highlight text
    qRgb(236, 233, 216), // 15 button face
    qRgb(172, 168, 153), // 16 button shadow
    qRgb(172, 168, 153), // 17 grey text
    qRgb(0, 0, 0),       // 18 button text
    qRgb(216, 228, 248), // 19 inactive caption text
    qRgb(255, 255, 255), // 20 button highlight
    qRgb(113, 111, 100), // 21 3-D dark shadow
    qRgb(241, 239, 226), // 22 3-D light
    qRgb(0, 0, 0),       // 23 tooltip text
    qRgb(255, 255, 225), // 24 tooltip background
    qRgb(181, 181, 181), // 25 (alternate button face)
    qRgb(0, 0, 128),     // 26 hot tracking
    qRgb(61, 149, 255),  // 27 gradient active caption
    qRgb(157, 185, 235), // 28 gradient inactive caption
    qRgb(49, 106, 197),  // 29 menu highlight
    qRgb(236, 233, 216), // 30 menu bar
};
} // namespace

QRgb resolveColour(TColor c)
{
    const quint32 v = quint32(c);
    if (isSystemColour(c)) {
        const quint32 index = v & 0xFF;
        return index < kSystemColours.size() ? kSystemColours[index] : qRgb(0, 0, 0);
    }
    return qRgb(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}
