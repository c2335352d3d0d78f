// The recorded table of formulas (tests/core/data): its texts are written with "\\" for a
// backslash and "\xHH" for any other byte that is not plain text.
#pragma once

#include <string>

namespace curvalis::testing {

inline std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') {
      out.push_back('\\');
      ++i;
    } else if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x') {
      out.push_back(static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16)));
      i += 3;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

}  // namespace curvalis::testing
