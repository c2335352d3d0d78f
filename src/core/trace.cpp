#include "core/trace.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/utf8.h"

namespace curvalis {
namespace {

template <class T>
std::string Shortest(T v) {
  if (!std::isfinite(v)) return "null";
  if (v == 0) return "0";
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, res.ptr);
}

}  // namespace

std::string JsonNumber(double v) {
  return Shortest(v);
}
std::string JsonNumber(float v) {
  return Shortest(v);
}

std::string JsonString(std::string_view s) {
  std::string out;
  out.reserve(s.size() + 2);
  out.push_back('"');
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
      ++i;
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
      ++i;
    } else if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      ++i;
    } else {
      std::size_t n = Utf8SequenceLength(s, i);
      if (n == 0) {
        out += "\xEF\xBF\xBD";
        ++i;
      } else {
        out.append(s.substr(i, n));
        i += n;
      }
    }
  }
  out.push_back('"');
  return out;
}

std::string JsonColor(Rgb c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "\"#%02X%02X%02X\"", c.r, c.g, c.b);
  return buf;
}

void TraceWriter::Line(const std::string& jsonObject) {
  out_ << jsonObject << '\n';
  out_.flush();
}

void TraceWriter::Command(std::string_view name) {
  Line("{\"op\":\"command\",\"name\":" + JsonString(name) + "}");
}

void TraceWriter::Message(std::string_view text, std::string_view detail) {
  std::string line = "{\"op\":\"message\",\"text\":" + JsonString(text);
  if (!detail.empty()) line += ",\"detail\":" + JsonString(detail);
  Line(line + "}");
}

void TraceWriter::ControlText(std::string_view control, std::string_view text) {
  Line("{\"op\":\"text\",\"control\":" + JsonString(control) + ",\"text\":" + JsonString(text) +
       "}");
}

void TraceWriter::File(std::string_view path, bool written) {
  Line("{\"op\":\"file\",\"path\":" + JsonString(path) +
       ",\"written\":" + (written ? "true" : "false") + "}");
}

std::string TraceSink::head(std::string_view op) const {
  return "{\"op\":\"" + std::string(op) + "\",\"surface\":" + JsonString(surface_);
}

void TraceSink::OnBackground(Rgb color) {
  writer_.Line(head("background") + ",\"color\":" + JsonColor(color) + "}");
}

void TraceSink::OnClear() {
  writer_.Line(head("clear") + "}");
}

void TraceSink::OnScale(const Scale& s) {
  writer_.Line(head("scale") + ",\"left\":" + JsonNumber(s.left) + ",\"top\":" + JsonNumber(s.top) +
               ",\"right\":" + JsonNumber(s.right) + ",\"bottom\":" + JsonNumber(s.bottom) + "}");
}

void TraceSink::OnLine(float x1, float y1, float x2, float y2, Rgb color, int width) {
  writer_.Line(head("line") + ",\"x1\":" + JsonNumber(x1) + ",\"y1\":" + JsonNumber(y1) +
               ",\"x2\":" + JsonNumber(x2) + ",\"y2\":" + JsonNumber(y2) +
               ",\"color\":" + JsonColor(color) + ",\"width\":" + std::to_string(width) + "}");
}

void TraceSink::OnPoint(float x, float y, Rgb color, int width) {
  writer_.Line(head("point") + ",\"x\":" + JsonNumber(x) + ",\"y\":" + JsonNumber(y) +
               ",\"color\":" + JsonColor(color) + ",\"width\":" + std::to_string(width) + "}");
}

void TraceSink::OnPrint(float x, float y, Rgb color, const std::vector<PrintRun>&,
                        const std::string& flat) {
  writer_.Line(head("print") + ",\"x\":" + JsonNumber(x) + ",\"y\":" + JsonNumber(y) +
               ",\"color\":" + JsonColor(color) + ",\"text\":" + JsonString(flat) + "}");
}

}  // namespace curvalis
