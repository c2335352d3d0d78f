// Well-formed UTF-8, checked in one place: the trace replaces what is not, the archive reader
// takes a field that is not for Windows-1252.
#pragma once

#include <cstddef>
#include <string_view>

namespace curvalis {

// The length (1 to 4) of the well-formed UTF-8 sequence that starts at bytes[i], or 0 when
// none does: an overlong form, a surrogate, a code point above U+10FFFF, a stray continuation
// byte or a sequence cut short by the end of `bytes`. `i` must be below bytes.size().
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t i);

// The bytes of the character at bytes[i], counted as the user sees characters: the length of a
// well-formed sequence, or 1 for a byte that starts none.
inline std::size_t Utf8CharLength(std::string_view bytes, std::size_t i) {
  const std::size_t n = Utf8SequenceLength(bytes, i);
  return n == 0 ? 1 : n;
}

// The code point of the character at bytes[i], and i moved past it: U+FFFD and one byte on
// for a byte that starts no well-formed sequence.
char32_t Utf8Next(std::string_view bytes, std::size_t& i);

// True when `bytes` is a run of well-formed UTF-8 sequences (the empty text is).
bool IsValidUtf8(std::string_view bytes);

}  // namespace curvalis
