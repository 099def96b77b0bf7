// The MD5 message digest (RFC 1321) with a choosable start for the four
// chaining words: the password digest starts from words of its own, which no
// digest library lets a caller set.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace corvane {

using Md5Words = std::array<uint32_t, 4>;
using Md5Digest = std::array<uint8_t, 16>;

// The chaining words RFC 1321 starts from.
inline constexpr Md5Words kStandardMd5Start{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};

Md5Digest md5(std::string_view message, const Md5Words& start = kStandardMd5Start);
// Two lowercase hexadecimal digits per byte, in byte order.
std::string toHex(const Md5Digest& digest);

}  // namespace corvane
