#include "core/archive_format.h"

#include <cstdint>

namespace curvalis {
namespace {

bool IsLineEnd(char c) {
  return c == '\r' || c == '\n';
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// Moves `pos` past one line end (CR LF, LF or CR) if one starts there.
void SkipLineEnd(std::string_view b, std::size_t& pos) {
  if (pos < b.size() && b[pos] == '\r') {
    ++pos;
    if (pos < b.size() && b[pos] == '\n') ++pos;
  } else if (pos < b.size() && b[pos] == '\n') {
    ++pos;
  }
}

void DropFinalLineEnd(std::string& s) {
  if (!s.empty() && s.back() == '\n') s.pop_back();
  if (!s.empty() && s.back() == '\r') s.pop_back();
}

// Code points of the bytes 80 to 9F in Windows-1252; the undefined ones keep their number.
constexpr char16_t kHigh1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(char(cp));
  } else if (cp < 0x800) {
    out.push_back(char(0xC0 | (cp >> 6)));
    out.push_back(char(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(char(0xE0 | (cp >> 12)));
    out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(char(0x80 | (cp & 0x3F)));
  }
}

}  // namespace

std::string ArchiveRecord(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 4);
  out.push_back('"');
  for (char c : text) {
    out.push_back(c);
    if (c == '"') out.push_back('"');
  }
  out += "\"\r\n";
  return out;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The states follow SplitArchiveFields: a field starts at a line start or after a comma or
// blanks; a quoted one runs to its closing quote, a doubled quote staying inside it.
ArchiveEndScanner::State ArchiveEndScanner::Step(State state, char c) {
  switch (state) {
    case State::LineStart:
    case State::FieldStart:
      if (IsLineEnd(c)) return State::LineStart;
      if (IsBlank(c) || c == ',') return State::FieldStart;
      return c == '"' ? State::Quoted : State::Unquoted;
    case State::Quoted:
      return c == '"' ? State::QuoteSeen : State::Quoted;
    case State::QuoteSeen:
      if (c == '"') return State::Quoted;
      [[fallthrough]];
    case State::Unquoted:
    case State::AfterQuote:
      if (IsLineEnd(c)) return State::LineStart;
      if (c == ',') return State::FieldStart;
      return state == State::QuoteSeen ? State::AfterQuote : state;
  }
  return state;
}

void ArchiveEndScanner::Feed(std::string_view bytes) {
  std::size_t i = 0;
  // The reader skips a byte order mark at the very start; the bytes of one that turns out
  // not to be are read as they are.
  while (!started_ && i < bytes.size()) {
    if (bytes[i] == kByteOrderMark[bomSeen_]) {
      ++i;
      if (++bomSeen_ == kByteOrderMark.size()) started_ = true;
      continue;
    }
    started_ = true;
    for (std::size_t k = 0; k < bomSeen_; ++k) state_ = Step(state_, kByteOrderMark[k]);
  }
  for (; i < bytes.size(); ++i) state_ = Step(state_, bytes[i]);
}

std::string_view ArchiveEndScanner::Separator() const {
  State state = state_;
  if (!started_) {  // a file that holds only the start of a byte order mark
    for (std::size_t k = 0; k < bomSeen_; ++k) state = Step(state, kByteOrderMark[k]);
  }
  switch (state) {
    case State::LineStart:
      return {};
    case State::Quoted:
      return "\"\r\n";
    default:
      return "\r\n";
  }
}

std::string ArchiveAppendBytes(std::string_view archive, std::string_view text) {
  ArchiveEndScanner scanner;
  scanner.Feed(archive);
  std::string out(scanner.Separator());
  out += ArchiveRecord(text);
  return out;
}

std::vector<std::string> SplitArchiveFields(std::string_view b) {
  std::vector<std::string> fields;
  std::size_t pos = 0;
  if (b.substr(0, 3) == "\xEF\xBB\xBF") pos = 3;
  const std::size_t n = b.size();
  bool fieldOwed = false;  // a comma was read: one more field follows, even at the end
  while (pos < n || fieldOwed) {
    fieldOwed = false;
    while (pos < n && IsBlank(b[pos])) ++pos;
    std::string field;
    if (pos < n && b[pos] == '"') {
      ++pos;
      bool closed = false;
      while (pos < n) {
        std::size_t quote = b.find('"', pos);
        if (quote == std::string_view::npos) {
          field.append(b.substr(pos));
          pos = n;
          break;
        }
        field.append(b.substr(pos, quote - pos));
        if (quote + 1 < n && b[quote + 1] == '"') {  // a doubled quote is one quote
          field.push_back('"');
          pos = quote + 2;
          continue;
        }
        pos = quote + 1;
        closed = true;
        break;
      }
      if (!closed) DropFinalLineEnd(field);
      while (pos < n && b[pos] != ',' && !IsLineEnd(b[pos])) ++pos;
    } else {
      std::size_t start = pos;
      while (pos < n && b[pos] != ',' && !IsLineEnd(b[pos])) ++pos;
      field.assign(b.substr(start, pos - start));
    }
    fields.push_back(std::move(field));
    if (pos < n && b[pos] == ',') {
      ++pos;
      fieldOwed = true;
    } else {
      SkipLineEnd(b, pos);
    }
  }
  return fields;
}

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (char ch : bytes) {
    auto c = static_cast<std::uint8_t>(ch);
    if (c >= 0x80 && c <= 0x9F) {
      AppendUtf8(out, kHigh1252[c - 0x80]);
    } else {
      AppendUtf8(out, c);  // ASCII and A0 to FF are the code points of the same number
    }
  }
  return out;
}

std::string ArchiveFieldText(std::string_view field) {
  if (IsValidUtf8(field)) return std::string(field);
  return Windows1252ToUtf8(field);
}

std::vector<std::string> ReadArchive(std::string_view bytes) {
  std::vector<std::string> entries = SplitArchiveFields(bytes);
  for (std::string& e : entries) {
    if (!IsValidUtf8(e)) e = Windows1252ToUtf8(e);
  }
  return entries;
}

}  // namespace curvalis
