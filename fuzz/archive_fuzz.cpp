// Reads any input as an archive file.
// Properties: nothing crashes; every entry is valid UTF-8; every entry written as a record
// reads back as exactly that entry; an archive of all the entries' records reads back as the
// entries.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "io/archive_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> entries = curvalis::ReadArchive(bytes);
  std::string rewritten;
  for (const std::string& e : entries) {
    if (!curvalis::IsValidUtf8(e)) std::abort();
    std::vector<std::string> back = curvalis::ReadArchive(curvalis::ArchiveRecord(e));
    if (back.size() != 1 || back[0] != e) std::abort();
    rewritten += curvalis::ArchiveRecord(e);
  }
  if (curvalis::ReadArchive(rewritten) != entries) std::abort();
  return 0;
}
