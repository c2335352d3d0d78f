// The archive's bytes: the record writer and the field reader.
#include "core/archive_format.h"
#include "core/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace curvalis {
namespace {

using Entries = std::vector<std::string>;

// Every text saved reads back as one entry with exactly that text ("Quoted quotes in the
// archive": quotes inside are doubled on writing and read back as one).
TEST(ArchiveFormat, EverySavedTextReadsBackWholeWithQuotedQuotes) {
  const Entries texts = {"sin(x)",       "max(x,1)", "",        "IF(x>0,x,\"\")", "\"",
                         "\"\"",         "a\"b",     "  x^2  ", "x,\"y\",z",
                         "\xC3\xA8 (x)",  // è in UTF-8
                         "two\r\nlines", "lone\rcr"};
  std::string file;
  for (const std::string& t : texts) file += ArchiveRecord(t);
  EXPECT_EQ(ReadArchive(file), texts);
}

TEST(ArchiveFormat, FieldRules) {
  struct Case {
    const char* name;
    std::string bytes;
    Entries entries;
  };
  const Case cases[] = {
      {"empty file", "", {}},
      {"unquoted line", "sin(x)\r\n", {"sin(x)"}},
      {"unquoted comma splits", "max(x,1)\r\n", {"max(x", "1)"}},
      {"quoted comma kept", "\"max(x,1)\"\r\n", {"max(x,1)"}},
      {"leading blanks skipped", "  \t\"a b\"\r\n   c d\r\n", {"a b", "c d"}},
      {"rest after closing quote skipped", "\"a\"junk\r\n\"b\"  ,\"c\"\r\n", {"a", "b", "c"}},
      {"old unescaped quote", "\"IF(x>0,x,\"\")\"\r\n", {"IF(x>0,x,\")"}},
      {"lone LF", "\"a\"\n\"b\"\n", {"a", "b"}},
      {"lone CR", "\"a\"\r\"b\"\rc\r", {"a", "b", "c"}},
      {"no final line break", "\"a\"\r\n\"b\"", {"a", "b"}},
      {"no final line break unquoted", "\"a\"\r\nb", {"a", "b"}},
      {"blank line is an empty entry", "\"a\"\r\n\r\n\"b\"\r\n", {"a", "", "b"}},
      {"comma at the end starts a field", "a,", {"a", ""}},
      {"comma before the line end", "a,\r\nb\r\n", {"a", "", "b"}},
      {"quote closed on a later line", "\"a\r\n\"b", {"a\r\n"}},
      {"quote never closed at the end", "\"a\"\r\n\"sin(x\r\n", {"a", "sin(x"}},
      {"lone quote at the end", "\"", {""}},
      {"quoted field spans lines", "\"a\r\nb\"\r\nc", {"a\r\nb", "c"}},
      {"byte order mark", "\xEF\xBB\xBF\"a\"\r\n", {"a"}},
      {"NUL bytes kept",
       std::string("\"a\0b\"\r\nc\0\r\n", 11),
       {std::string("a\0b", 3), std::string("c\0", 2)}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitArchiveFields(c.bytes), c.entries) << c.name;
}

// Appending a record to any archive adds exactly that entry: also after a hand-edited last
// line without its line break, after a comma or blanks, and inside a quote never closed,
// which used to swallow the new record.
TEST(ArchiveFormat, AppendedRecordReadsBackAfterAnyEnd) {
  struct Case {
    const char* name;
    std::string old;
    const char* separator;
    Entries entries;  // after appending "t"
  };
  const Case cases[] = {
      {"empty file", "", "", {"t"}},
      {"after CR LF", "\"a\"\r\n", "", {"a", "t"}},
      {"after a lone CR", "\"a\"\r", "", {"a", "t"}},
      {"no final line break", "\"a\"", "\r\n", {"a", "t"}},
      {"unquoted, no line break", "sin(x)", "\r\n", {"sin(x)", "t"}},
      {"comma at the end", "a,", "\r\n", {"a", "", "t"}},
      {"blanks only", "  ", "\r\n", {"", "t"}},
      {"quote never closed", "\"a\"\r\n\"sin(x", "\"\r\n", {"a", "sin(x", "t"}},
      {"quote never closed, line break kept", "\"sin(x\r\n", "\"\r\n", {"sin(x\r\n", "t"}},
      {"lone quote", "\"", "\"\r\n", {"", "t"}},
      {"doubled quote at the end", "\"a\"\"", "\"\r\n", {"a\"", "t"}},
      {"closing quote at the end", "\"a\"\"\"", "\r\n", {"a\"", "t"}},
      {"quote inside an unquoted field", "a\"b", "\r\n", {"a\"b", "t"}},
      {"byte order mark only", "\xEF\xBB\xBF", "", {"t"}},
      {"start of a byte order mark", "\xEF\xBB", "\r\n", {"\xC3\xAF\xC2\xBB", "t"}},
      {"NUL and binary",
       std::string("\0\xFF\"\0", 4),
       "\r\n",
       {std::string("\0\xC3\xBF\"\0", 5), "t"}},
  };
  for (const Case& c : cases) {
    const std::string add = ArchiveAppendBytes(c.old, "t");
    EXPECT_EQ(add, c.separator + ArchiveRecord("t")) << c.name;
    EXPECT_EQ(ReadArchive(c.old + add), c.entries) << c.name;
    // Handed over in pieces, as the file is copied, the scanner ends in the same place.
    ArchiveEndScanner pieces;
    for (char b : c.old) pieces.Feed(std::string_view(&b, 1));
    EXPECT_EQ(pieces.Separator(), c.separator) << c.name;
  }
}

TEST(ArchiveFormat, Utf8ElseWindows1252ForOldArchives) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string utf8;
  };
  const Case cases[] = {
      {"ASCII", "x^2", "x^2"},
      {"UTF-8 stays", "\xC3\xA8\xE2\x82\xAC", "\xC3\xA8\xE2\x82\xAC"},
      {"1252 accent", "citt\xE0", "citt\xC3\xA0"},
      {"1252 euro and quotes", "\x80\x93\x94", "\xE2\x82\xAC\xE2\x80\x9C\xE2\x80\x9D"},
      {"1252 undefined bytes", "\x81\x9D", "\xC2\x81\xC2\x9D"},
      {"1252 high letters", "\xFF\xA0", "\xC3\xBF\xC2\xA0"},
      {"overlong is no UTF-8", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
      {"surrogate is no UTF-8", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"truncated sequence", "a\xC3", "a\xC3\x83"},
  };
  for (const Case& c : cases) EXPECT_EQ(ArchiveFieldText(c.bytes), c.utf8) << c.name;
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // above U+10FFFF
}

// An old archive in Windows-1252 with new UTF-8 records after it reads right throughout.
// The one decoder of the program's UTF-8: code points of well-formed sequences, U+FFFD and one
// byte on for what starts none.
TEST(Utf8, NextCodePoint) {
  const struct {
    const char* bytes;
    std::vector<char32_t> codes;
  } rows[] = {
      {"a\xC3\xA9", {U'a', U'é'}},
      {"\xE2\x88\x9E\xF0\x9F\x98\x80", {U'∞', U'\U0001F600'}},
      {"\x80z", {0xFFFD, U'z'}},                   // a stray continuation byte
      {"\xC0\xAF", {0xFFFD, 0xFFFD}},              // an overlong '/'
      {"\xED\xA0\x80", {0xFFFD, 0xFFFD, 0xFFFD}},  // a surrogate
      {"\xE2\x82", {0xFFFD, 0xFFFD}},              // cut short
  };
  for (const auto& r : rows) {
    const std::string_view s = r.bytes;
    std::vector<char32_t> got;
    for (std::size_t i = 0; i < s.size();) got.push_back(Utf8Next(s, i));
    EXPECT_EQ(got, r.codes) << r.bytes;
  }
}

TEST(ArchiveFormat, MixedArchiveDecodedFieldByField) {
  std::string file = "\"x*citt\xE0\"\r\n";
  file += ArchiveRecord("x*citt\xC3\xA0");
  EXPECT_EQ(ReadArchive(file), (Entries{"x*citt\xC3\xA0", "x*citt\xC3\xA0"}));
}

// Binary input and very long lines give some entries, in linear time, and no failure.
TEST(ArchiveFormat, BinaryAndLongLines) {
  std::string binary;
  for (int i = 0; i < 1 << 16; ++i) binary.push_back(char((i * 7919) & 0xFF));
  Entries entries = ReadArchive(binary);
  EXPECT_FALSE(entries.empty());
  for (const std::string& e : entries) EXPECT_TRUE(IsValidUtf8(e));

  const std::string longText(10 << 20, 'x');
  entries = ReadArchive(ArchiveRecord(longText) + "\"quote never closed " + longText);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], longText);
  EXPECT_EQ(entries[1].size(), longText.size() + 19);

  const std::string quotes(4 << 20, '"');  // doubled quotes all the way
  entries = SplitArchiveFields(quotes);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].size(), (quotes.size() - 2) / 2);
}

}  // namespace
}  // namespace curvalis
