#include "units/TextBlock.h"

#include <QtEndian>

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
    const size_t units = block.size() / 2;  // an odd trailing byte is no character
    size_t length = 0;
    while (length < units && (block[2 * length] | block[2 * length + 1]) != 0) {
        ++length;
    }
    // Lists and reports read thousands of these: one copy, not a character at a time.
    if (length == 0) {
        return {};
    }
    QString text(static_cast<qsizetype>(length), Qt::Uninitialized);
    qFromLittleEndian<char16_t>(block.data(), static_cast<qsizetype>(length), text.data());
    return text;
}
