// The function archive "Archivio.txt": one record a line, the formula in double quotes and
// CR LF. Records are only ever appended. This file knows the bytes of the format and nothing
// of files or windows, so the reader can be driven by any input.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/utf8.h"  // IsValidUtf8: which fields are read as Windows-1252

namespace curvalis {

inline constexpr std::string_view kArchiveFileName = "Archivio.txt";

// One record: the text in double quotes, each quote inside it doubled, then CR LF.
// IF(x>0,x,"") is written as "IF(x>0,x,"""")" so that it reads back whole.
std::string ArchiveRecord(std::string_view text);

// Follows the reader through an archive handed over in pieces, to tell what must come before
// a record appended at its end so that the record reads back whole, as one more entry.
class ArchiveEndScanner {
 public:
  void Feed(std::string_view bytes);
  // Nothing at the start of a line (or of the file); a line break after a line without one (a
  // hand-edited file without its final line break); inside a quoted field that was never
  // closed, a closing quote and a line break: the new record would else be read as part of
  // that field and be lost. The field then reads as it did, with the line breaks at the old
  // end of the file that the reader used to drop.
  std::string_view Separator() const;

 private:
  enum class State { LineStart, FieldStart, Unquoted, Quoted, QuoteSeen, AfterQuote };
  static State Step(State state, char c);
  State state_ = State::LineStart;
  std::size_t bomSeen_ = 0;  // bytes of a byte order mark at the start, up to 3
  bool started_ = false;     // past the byte order mark, or sure there is none
};

// What to write after `archive` (its bytes so far) to append the record of `text`: the
// scanner's separator, then the record.
std::string ArchiveAppendBytes(std::string_view archive, std::string_view text);

// Splits the archive into its fields, each one list entry, as bytes:
// - leading blanks (spaces, tabs) are skipped;
// - a field that starts with a double quote runs to the closing quote, across line breaks; a
//   doubled quote inside it is one quote; the rest up to the next comma or line end is skipped;
//   a quote that is never closed takes the rest of the file, without its final line break;
// - any other field runs to the next comma or line end;
// - a line end is CR LF, a lone LF or a lone CR; a comma always starts one more field;
// - a UTF-8 byte order mark at the start is skipped; the last line needs no line break.
// Any bytes are accepted (NUL, binary); the time is linear in the size.
std::vector<std::string> SplitArchiveFields(std::string_view bytes);

// Each byte read as Windows-1252, written as UTF-8. The five bytes that code page leaves
// undefined (81, 8D, 8F, 90, 9D) become the control characters of the same number.
std::string Windows1252ToUtf8(std::string_view bytes);
// The text of one field as UTF-8: as it is when it is valid UTF-8, else read as Windows-1252
// (archives written on the old platform). Deciding field by field keeps an old archive with new
// records appended after it readable throughout.
std::string ArchiveFieldText(std::string_view field);

// The archive's entries in file order, as UTF-8 texts.
std::vector<std::string> ReadArchive(std::string_view bytes);

}  // namespace curvalis
