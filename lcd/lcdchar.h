#pragma once

#include <array>
#include <cstdint>

// The LCD's character generator: for each 8-bit code, seven rows of five dots.
// Entry 7*code + row; bit 4 is the leftmost dot column, bit 0 the rightmost; row 0 is the top.
// Codes follow ASCII, the Cyrillic letters of code page 1251, Latin-1 symbols and the euro
// sign; codes without a glyph are blank.
namespace LcdChar {

constexpr int kColumns = 5;
constexpr int kRows = 7;

using Table = std::array<std::int32_t, 256 * kRows>;

// The table, filled once with constant content and shared by every LCD.
const Table &table();

inline int row(std::uint8_t code, int r) { return table()[std::size_t(code) * kRows + std::size_t(r)]; }

} // namespace LcdChar
