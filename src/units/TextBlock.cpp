#include "units/TextBlock.h"

std::vector<uint8_t> ToTextBlock(const QString& text) {
    std::vector<uint8_t> block;
    block.reserve(static_cast<size_t>(text.size()) * 2 + 4);
    for (const QChar c : text) {
        const char16_t unit = c.unicode();
        block.push_back(static_cast<uint8_t>(unit & 0xFF));
        block.push_back(static_cast<uint8_t>(unit >> 8));
    }
    block.insert(block.end(), 4, 0);
    return block;
}

QString FromTextBlock(const std::vector<uint8_t>& block) {
    QString text;
    const size_t units = block.size() / 2;  // an odd trailing byte is no character
    text.reserve(static_cast<qsizetype>(units));
    for (size_t i = 0; i < units; ++i) {
        const char16_t unit = static_cast<char16_t>(block[2 * i] | (block[2 * i + 1] << 8));
        if (unit == 0) {
            break;
        }
        text.append(QChar(unit));
    }
    return text;
}
