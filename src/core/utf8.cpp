#include "core/utf8.h"

namespace curvalis {

std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  // Byte k exists and lies in [lo, hi].
  const auto in = [&](std::size_t k, unsigned char lo, unsigned char hi) {
    return k < bytes.size() && byte(k) >= lo && byte(k) <= hi;
  };
  const unsigned char c = byte(i);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return in(i + 1, 0x80, 0xBF) ? 2 : 0;  // C0, C1: overlong
  if (c >= 0xE0 && c <= 0xEF) {
    // E0: no overlong forms; ED: no surrogates.
    const unsigned char lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    return in(i + 1, lo, hi) && in(i + 2, 0x80, 0xBF) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    // F0: no overlong forms; F4: nothing above U+10FFFF.
    const unsigned char lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
    return in(i + 1, lo, hi) && in(i + 2, 0x80, 0xBF) && in(i + 3, 0x80, 0xBF) ? 4 : 0;
  }
  return 0;  // a continuation byte, or F5 to FF
}

char32_t Utf8Next(std::string_view bytes, std::size_t& i) {
  const std::size_t n = Utf8SequenceLength(bytes, i);
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(bytes[i + k]); };
  if (n == 0) {
    ++i;
    return 0xFFFD;
  }
  char32_t code = n == 1 ? byte(0) : byte(0) & (0xFF >> (n + 1));
  for (std::size_t k = 1; k < n; ++k) code = (code << 6) | (byte(k) & 0x3F);
  i += n;
  return code;
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = Utf8SequenceLength(bytes, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

}  // namespace curvalis
