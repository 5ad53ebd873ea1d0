#pragma once

#include "colour.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QSize>

// Layout and rendering of the dot-matrix LCD line, free of widgets so they can be tested and
// measured on a plain QImage.
namespace Lcd {
Q_NAMESPACE

enum class TFrameStyle { Relief, None, Lowered, Raised };
Q_ENUM_NS(TFrameStyle)
enum class TFrameHeight { Double, Single };
Q_ENUM_NS(TFrameHeight)
enum class TFrameColorStyle { stWindows, stColor };
Q_ENUM_NS(TFrameColorStyle)
enum class TCellShape { stSquare, stRound };
Q_ENUM_NS(TCellShape)

// Every property of the LCD line, with its value after construction.
struct Props
{
    int cellSize = 4;
    int cellSpace = 1;
    int frameSize = 8;
    TColor frameColor = clBtnFace;
    TColor boardColor = clBlack;
    TColor cellColorOn = clLime;
    TColor cellColorOff = clGreen;
    QByteArray text;
    bool charSpace = false;
    bool autoSize = false;
    TFrameStyle frameStyle = TFrameStyle::Relief;
    TFrameHeight frameHeight = TFrameHeight::Double;
    TFrameColorStyle frameColorStyle = TFrameColorStyle::stWindows;
    TCellShape cellShape = TCellShape::stSquare;
};

// Values outside the model never reach the arithmetic: at layout time the cell size is
// clamped to 1..64, the cell space to 0..64 and the frame size to 0..256 (so the divisor
// 6*(S+P) is never zero), and a size the control gives itself is capped at kMaxSide pixels
// per side, so that no setting can make a paint overflow or allocate without bound.
constexpr int kMaxCell = 64;
constexpr int kMaxFrame = 256;
constexpr int kMaxSide = 16384;

struct Layout
{
    int S = 0, P = 0, F = 0;   // effective cell size, cell space, frame size
    int charWidth = 0;         // D = 5S + 6P
    int chars = 0;             // n (may be 0 or negative when the control is too narrow)
    int columns = 0;           // N = 6n - 1
    qint64 matrixWidth = 0;    // MW
    int matrixHeight = 0;      // MH = 7(S+P) - 1
    qint64 h = 0, v = 0;       // margins
    QSize size;                // the size the control must have after this layout
};

// One layout for a control of the given current size.
Layout layout(const Props &p, QSize current);

// The size a control of the given size settles at (AutoSize and minimum size applied).
inline QSize settledSize(const Props &p, QSize current) { return layout(p, current).size; }

struct BevelColours
{
    QRgb highlight, light, shadow, darkShadow;
};
BevelColours bevelColours(const Props &p);

// Composes the whole picture into img (Format_RGB32 or ARGB32, any size) with the margins of
// lay: frame and board, bevels, unlit dots, text, gap columns. Nothing outside img is touched.
void render(QImage &img, const Props &p, const Layout &lay);

// One paint of a control of the given size: layout, then the picture at the size the layout
// leaves the control with (margins of the size before, as a paint that resizes does).
QImage paint(const Props &p, QSize current);

} // namespace Lcd
