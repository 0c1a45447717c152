#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/posixfile.h"

namespace testsupport {

// The running CRC register of the checksummed file after `n` bytes, worked
// out bit by bit so it shares nothing with the code under test.
inline std::uint32_t CrcRegisterAfter(const std::uint8_t* data, size_t n) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ ((crc & 1u) ? 0xEDB88320u : 0u);
    }
    return crc;
}

// `content` followed by its four-byte trailer, as a whole file holds it.
inline std::string WithTrailer(const std::string& content) {
    const std::uint32_t crc =
        CrcRegisterAfter(reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    std::string file = content;
    for (int i = 0; i < 4; ++i)
        file.push_back(static_cast<char>(crc >> (8 * i)));
    return file;
}

inline std::string FileBytes(const std::string& path) {
    return platform::ReadWholeFile(path).value_or("<missing>");
}

}  // namespace testsupport
