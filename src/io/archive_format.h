// The function archive "Archivio.txt": one record a line, the formula in double quotes and
// CR LF. Records are only ever appended. This file knows the bytes of the format and nothing
// of files or windows, so the reader can be driven by any input.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace curvalis {

inline constexpr std::string_view kArchiveFileName = "Archivio.txt";

// One record: the text in double quotes, each quote inside it doubled, then CR LF.
// IF(x>0,x,"") is written as "IF(x>0,x,"""")" so that it reads back whole.
std::string ArchiveRecord(std::string_view text);

// What to write after `lastByte`, the last byte of the archive so far, to append the record
// of `text`: a line break first when the archive does not end with one (a hand-edited file
// without its final line break), so the new record stands on its own line. `archiveEmpty`:
// the archive has no byte yet.
std::string ArchiveAppendBytes(bool archiveEmpty, char lastByte, std::string_view text);

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

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, at most U+10FFFF).
bool IsValidUtf8(std::string_view bytes);
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
