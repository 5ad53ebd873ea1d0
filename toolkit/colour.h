#pragma once

#include <QColor>
#include <QtGlobal>

// The colour type both programs and the settings file use: a 32-bit signed value.
// RGB colours are red + 256*green + 65536*blue with the top byte 0; a system colour has
// the top byte 0xFF and the system colour's index in the low byte.
using TColor = qint32;

constexpr TColor rgbColour(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }
constexpr TColor systemColour(int index) { return TColor(0xFF000000u | quint32(index & 0xFF)); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clGreen = 0x008000;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clBtnFace = systemColour(15);
constexpr TColor clGradientActiveCaption = systemColour(27);

constexpr bool isSystemColour(TColor c) { return (quint32(c) >> 24) == 0xFF; }

// Resolves any colour value to 0xAARRGGBB (alpha 255). System colours come from one fixed
// table (the Windows XP default scheme, whose button face is 236,233,216) instead of the
// desktop's palette, so that a picture is the same on every machine and in every test.
// Unknown system indices resolve to black; any other top byte is ignored, as GDI does.
QRgb resolveColour(TColor c);

inline QColor toQColor(TColor c) { return QColor::fromRgb(resolveColour(c)); }

// The reverse: an opaque QColor as an RGB colour value.
inline TColor fromQColor(const QColor &c) { return rgbColour(c.red(), c.green(), c.blue()); }
