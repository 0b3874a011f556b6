#pragma once
// FIT files written by the tests byte by byte, as a device lays them out.

#include "rides/FitFile.h"

#include <QByteArray>
#include <cmath>
#include <cstdint>
#include <vector>

namespace fittest {

// Seconds since 1970 as FIT counts them, from 1989-12-31 00:00:00 UTC.
constexpr uint32_t FitTime(int64_t unixSeconds) {
    return static_cast<uint32_t>(unixSeconds - 631065600);
}

struct Field {
    uint8_t number;
    uint8_t size;
    uint8_t baseType;
};

constexpr Field kTime{253, 4, 0x86};
constexpr Field kLat{0, 4, 0x85};
constexpr Field kLon{1, 4, 0x85};

inline int32_t Semicircles(double degrees) {
    return static_cast<int32_t>(std::lround(degrees / 180.0 * 2147483648.0));
}

// Writes FIT messages as a device would; File() puts header and CRC around them.
class FitWriter {
public:
    void Define(int local, uint16_t message, std::vector<Field> fields, bool bigEndian = false,
                std::vector<uint8_t> developerSizes = {}) {
        m_data += static_cast<char>(0x40 | (developerSizes.empty() ? 0 : 0x20) | local);
        m_data += '\0';
        m_data += static_cast<char>(bigEndian ? 1 : 0);
        Put(message, 2, bigEndian);
        m_data += static_cast<char>(fields.size());
        for (const Field& field : fields) {
            m_data += static_cast<char>(field.number);
            m_data += static_cast<char>(field.size);
            m_data += static_cast<char>(field.baseType);
        }
        if (!developerSizes.empty()) {
            m_data += static_cast<char>(developerSizes.size());
            for (uint8_t size : developerSizes) {
                m_data += QByteArray("\x01", 1) + static_cast<char>(size) + '\0';
            }
        }
        m_locals[local] = {fields, bigEndian, developerSizes};
    }
    // Values in the order of the definition; developer fields get filler.
    void Data(int local, const std::vector<int64_t>& values, int compressedSeconds = -1) {
        m_data += static_cast<char>(compressedSeconds >= 0 ? 0x80 | (local << 5) | compressedSeconds : local);
        const Local& definition = m_locals[local];
        for (size_t i = 0; i < values.size(); ++i) {
            Put(static_cast<uint64_t>(values[i]), definition.fields[i].size, definition.bigEndian);
        }
        for (uint8_t size : definition.developerSizes) {
            m_data += QByteArray(size, '\x5A');
        }
    }
    QByteArray File() const {
        QByteArray file(14, '\0');
        file[0] = 14;
        file[1] = 0x20;
        file[2] = static_cast<char>(0x08);
        file[3] = static_cast<char>(0x08);
        const auto size = static_cast<uint32_t>(m_data.size());
        for (int i = 0; i < 4; ++i) {
            file[4 + i] = static_cast<char>(size >> (8 * i));
        }
        file.replace(8, 4, ".FIT");
        const uint16_t headerCrc = FitCrc(reinterpret_cast<const uint8_t*>(file.constData()), 12);
        file[12] = static_cast<char>(headerCrc & 0xFF);
        file[13] = static_cast<char>(headerCrc >> 8);
        file += m_data;
        const uint16_t crc = FitCrc(reinterpret_cast<const uint8_t*>(file.constData()), file.size());
        file += static_cast<char>(crc & 0xFF);
        file += static_cast<char>(crc >> 8);
        return file;
    }

private:
    struct Local {
        std::vector<Field> fields;
        bool bigEndian = false;
        std::vector<uint8_t> developerSizes;
    };
    void Put(uint64_t value, int size, bool bigEndian) {
        for (int i = 0; i < size; ++i) {
            const int shift = 8 * (bigEndian ? size - 1 - i : i);
            m_data += static_cast<char>(shift < 64 ? (value >> shift) & 0xFF : 0);
        }
    }
    QByteArray m_data;
    Local m_locals[16];
};

// A short ride: records a second apart heading north, then its session.
// subSport 0xFF: none.
inline QByteArray Ride(uint32_t start, int seconds, int sport = 2, bool bigEndian = false,
                       int subSport = 0xFF) {
    FitWriter fit;
    fit.Define(0, 20, {kTime, kLat, kLon, {2, 2, 0x84}, {6, 2, 0x84}}, bigEndian, {3});
    for (int i = 0; i < seconds; ++i) {
        fit.Data(0, {start + i, Semicircles(47.0 + i * 1e-4), Semicircles(8.0), (420 + 500) * 5, 5500});
    }
    fit.Define(1, 18,
               {kTime,
                {2, 4, 0x86},
                {5, 1, 0x00},
                {6, 1, 0x00},
                {7, 4, 0x86},
                {8, 4, 0x86},
                {9, 4, 0x86},
                {15, 2, 0x84},
                {22, 2, 0x84},
                {23, 2, 0x84},
                {11, 2, 0x84},
                {16, 1, 0x02},
                {17, 1, 0x02},
                {18, 1, 0x02},
                {20, 2, 0x84},
                {21, 2, 0x84},
                {57, 1, 0x01}},
               bigEndian);
    fit.Data(1, {start + seconds, start, sport, subSport, seconds * 1000, (seconds - 1) * 1000, seconds * 550,
                 9000, 12, 15, 31, 142, 171, 88, 215, 640, 0xFF});
    return fit.File();
}

}  // namespace fittest
