// Reads any input as an archive file, and appends a record to it as "Salva funzione" does.
// The text appended is the input's last (first byte mod 64) bytes, read as a field is (so it is
// valid UTF-8, as every text of Funzione is).
// Properties:
// - nothing crashes; every entry is valid UTF-8;
// - every entry written as a record reads back as exactly that entry, and an archive of all
//   the entries' records reads back as the entries;
// - any text written as a record reads back whole;
// - appending a record to any file adds exactly one entry, that text, and leaves the entries
//   before it as they were (a quote never closed at the end is closed, and that entry then
//   keeps the line break the file ended with).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/archive_format.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "archive_fuzz: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> entries = curvalis::ReadArchive(bytes);
  std::string rewritten;
  for (const std::string& e : entries) {
    if (!curvalis::IsValidUtf8(e)) Fail("an entry that is not UTF-8");
    std::vector<std::string> back = curvalis::ReadArchive(curvalis::ArchiveRecord(e));
    if (back.size() != 1 || back[0] != e) Fail("an entry's record does not read back");
    rewritten += curvalis::ArchiveRecord(e);
  }
  if (curvalis::ReadArchive(rewritten) != entries) Fail("the rewritten archive differs");

  const std::size_t tail = size == 0 ? 0 : std::min<std::size_t>(data[0] % 64, size);
  const std::string text = curvalis::ArchiveFieldText(bytes.substr(size - tail));
  if (!curvalis::IsValidUtf8(text)) Fail("a field's text that is not UTF-8");
  const std::vector<std::string> alone = curvalis::ReadArchive(curvalis::ArchiveRecord(text));
  if (alone.size() != 1 || alone[0] != text) Fail("a text's record does not read back");

  std::string appended(bytes);
  appended += curvalis::ArchiveAppendBytes(bytes, text);
  std::vector<std::string> after = curvalis::ReadArchive(appended);
  if (after.size() != entries.size() + 1) Fail("appending did not add exactly one entry");
  if (after.back() != text) Fail("the appended entry does not read back");
  after.pop_back();
  if (!entries.empty() && after.back() != entries.back()) {
    // A quote never closed was closed: that entry keeps the line break it ended with.
    const std::string& was = entries.back();
    const std::string& now = after.back();
    const std::string_view rest = std::string_view(now).substr(std::min(now.size(), was.size()));
    if (now.compare(0, was.size(), was) != 0 || (rest != "\r\n" && rest != "\n" && rest != "\r")) {
      Fail("appending changed the last entry before");
    }
    after.back() = was;
  }
  if (after != entries) Fail("appending changed the entries before");
  return 0;
}
