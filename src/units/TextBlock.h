#pragma once
// The stored form of names, notes and memo texts: UTF-16LE characters followed
// by two zero characters (byte length 2 x characters + 4; an empty text is four
// zero bytes).

#include <QString>
#include <cstdint>
#include <vector>

std::vector<uint8_t> ToTextBlock(const QString& text);
// Reads up to the first zero character; tolerates a missing terminator and an
// odd trailing byte. An empty block gives an empty text.
QString FromTextBlock(const std::vector<uint8_t>& block);
