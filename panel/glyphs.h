#pragma once

#include <QIcon>

// The simple pictures of the buttons and title-bar items, drawn rather than shipped.
namespace Glyphs {
QIcon upTriangle();
QIcon downTriangle();
QIcon upDownTriangles();
QIcon redDot();
QIcon snowflake();
QIcon twoPages();
QIcon twoPagesNumber();
QIcon settings();
QIcon about();
} // namespace Glyphs
