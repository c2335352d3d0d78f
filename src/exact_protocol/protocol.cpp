#include "exact_protocol/protocol.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

namespace curvalis::study {

namespace {

constexpr std::array kRelations = {"<", "<=", ">", ">=", "!=", "="};

bool In(std::string_view name, const auto& list) {
  return std::ranges::find(list, name) != std::ranges::end(list);
}

bool IsInteger(std::string_view s) {
  if (!s.empty() && s[0] == '-') s.remove_prefix(1);
  return !s.empty() && s.size() <= 4000 &&
         std::ranges::all_of(s, [](char c) { return c >= '0' && c <= '9'; });
}

bool IsDecimal(std::string_view s) {
  auto decimal = [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+' ||
           c == 'e' || c == 'E';
  };
  if (s.empty() || s.size() > 40 || !std::ranges::all_of(s, decimal)) return false;
  char* end = nullptr;
  std::string copy(s);
  std::strtod(copy.c_str(), &end);
  return end == copy.c_str() + copy.size();
}

class TreeParser {
 public:
  TreeParser(std::string_view s, bool conditions) : s_(s), conditions_(conditions) {}

  std::optional<Node> Run() {
    std::optional<Node> n = Parse(0);
    Skip();
    if (!n || pos_ != s_.size()) return std::nullopt;
    return n;
  }

 private:
  void Skip() {
    while (pos_ < s_.size() && s_[pos_] == ' ') ++pos_;
  }

  std::string_view Word() {
    Skip();
    std::size_t b = pos_;
    while (pos_ < s_.size() && s_[pos_] != ' ' && s_[pos_] != '(' && s_[pos_] != ')') ++pos_;
    return s_.substr(b, pos_ - b);
  }

  std::optional<Node> Parse(int depth) {
    if (depth > kMaxTreeDepth) return std::nullopt;
    Skip();
    if (pos_ >= s_.size()) return std::nullopt;
    if (s_[pos_] == '(') {
      ++pos_;
      std::string_view name = Word();
      const Operation* op = FindOperation(name);
      const bool unary = op && op->arity == 1;
      const bool nary = op && op->arity == 0;
      const bool binary = (op && op->arity == 2) || (conditions_ && In(name, kRelations));
      const bool logic = conditions_ && (name == "and" || name == "or");
      if (!unary && !nary && !binary && !logic) return std::nullopt;
      Node n = Node::Of(std::string(name), {});
      for (;;) {
        Skip();
        if (pos_ >= s_.size()) return std::nullopt;
        if (s_[pos_] == ')') {
          ++pos_;
          break;
        }
        std::optional<Node> a = Parse(depth + 1);
        if (!a) return std::nullopt;
        n.args.push_back(std::move(*a));
      }
      const std::size_t k = n.args.size();
      if ((unary && k != 1) || (binary && k != 2) || ((nary || logic) && k < 1)) {
        return std::nullopt;
      }
      return n;
    }
    std::string_view w = Word();
    if (w.empty()) return std::nullopt;
    if (w == "x") return Node::Var();
    if (w == "pi") return Node{Node::Kind::Pi, "pi", {}};
    if (w == "+inf" || w == "-inf") return Node::Inf(w[0] == '+');
    if (w == "undef") return Node{Node::Kind::Undef, "undef", {}};
    if (conditions_ && w == "true") return Node{Node::Kind::True, "true", {}};
    if (conditions_ && w == "false") return Node{Node::Kind::False, "false", {}};
    if (w[0] == '~') {
      if (!IsDecimal(w.substr(1))) return std::nullopt;
      return Node{Node::Kind::Approx, std::string(w.substr(1)), {}};
    }
    const std::size_t slash = w.find('/');
    if (slash == std::string_view::npos) {
      if (!IsInteger(w)) return std::nullopt;
    } else {
      std::string_view den = w.substr(slash + 1);
      if (!IsInteger(w.substr(0, slash)) || !IsInteger(den) || den[0] == '-') return std::nullopt;
    }
    return Node::Num(std::string(w));
  }

  std::string_view s_;
  bool conditions_;
  std::size_t pos_ = 0;
};

void AppendTree(const Node& n, std::string& out) {
  if (n.kind == Node::Kind::Approx) {
    out += '~';
    out += n.text;
    return;
  }
  if (n.kind != Node::Kind::Op) {
    out += n.text;
    return;
  }
  out += '(';
  out += n.text;
  for (const Node& a : n.args) {
    out += ' ';
    AppendTree(a, out);
  }
  out += ')';
}

void AppendJsonString(std::string_view s, std::string& out) {
  out += '"';
  for (char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static const char* hex = "0123456789abcdef";
          out += "\\u00";
          out += hex[(c >> 4) & 15];
          out += hex[c & 15];
        } else {
          out += c;
        }
    }
  }
  out += '"';
}

class JsonParser {
 public:
  explicit JsonParser(std::string_view s) : s_(s) {}

  std::optional<JsonObject> Run() {
    JsonObject o;
    if (!Eat('{')) return std::nullopt;
    if (Eat('}')) return End(o);
    for (;;) {
      std::optional<std::string> key = String();
      if (!key || !Eat(':')) return std::nullopt;
      std::optional<JsonValue> v = Value();
      if (!v) return std::nullopt;
      o[*key] = std::move(*v);
      if (Eat(',')) continue;
      if (Eat('}')) return End(o);
      return std::nullopt;
    }
  }

 private:
  std::optional<JsonObject> End(JsonObject& o) {
    Skip();
    if (pos_ != s_.size()) return std::nullopt;
    return std::move(o);
  }
  void Skip() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r')) ++pos_;
  }
  bool Eat(char c) {
    Skip();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Word(std::string_view w) {
    Skip();
    if (s_.substr(pos_, w.size()) != w) return false;
    pos_ += w.size();
    return true;
  }

  std::optional<std::string> String() {
    if (!Eat('"')) return std::nullopt;
    std::string out;
    while (pos_ < s_.size()) {
      char c = s_[pos_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) return std::nullopt;
      char e = s_[pos_++];
      switch (e) {
        case '"':
        case '\\':
        case '/':
          out += e;
          break;
        case 'n':
          out += '\n';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          if (pos_ + 4 > s_.size()) return std::nullopt;
          unsigned v = 0;
          for (int i = 0; i < 4; ++i) {
            char h = s_[pos_++];
            v *= 16;
            if (h >= '0' && h <= '9') {
              v += h - '0';
            } else if (h >= 'a' && h <= 'f') {
              v += h - 'a' + 10;
            } else if (h >= 'A' && h <= 'F') {
              v += h - 'A' + 10;
            } else {
              return std::nullopt;
            }
          }
          if (v >= 0x80) return std::nullopt;  // the channel carries ASCII escapes only
          out += static_cast<char>(v);
          break;
        }
        default:
          return std::nullopt;
      }
    }
    return std::nullopt;
  }

  std::optional<JsonValue> Value() {
    Skip();
    if (pos_ >= s_.size()) return std::nullopt;
    const char c = s_[pos_];
    if (c == '"') {
      std::optional<std::string> s = String();
      if (!s) return std::nullopt;
      return JStr(std::move(*s));
    }
    if (c == '[') {
      ++pos_;
      JsonValue v = JList({});
      if (Eat(']')) return v;
      for (;;) {
        std::optional<std::string> s = String();
        if (!s) return std::nullopt;
        v.list.push_back(std::move(*s));
        if (Eat(',')) continue;
        if (Eat(']')) return v;
        return std::nullopt;
      }
    }
    if (Word("true")) return JBool(true);
    if (Word("false")) return JBool(false);
    std::size_t b = pos_;
    if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
    if (pos_ == b || pos_ - b > 18) return std::nullopt;
    return JNum(std::strtoll(std::string(s_.substr(b, pos_ - b)).c_str(), nullptr, 10));
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

}  // namespace

const Operation* FindOperation(std::string_view name) {
  auto it = std::ranges::find(kOperations, name, &Operation::name);
  return it == kOperations.end() ? nullptr : &*it;
}

const Operation* FindCasOperation(std::string_view cas) {
  auto it = std::ranges::find(kOperations, cas, &Operation::cas);
  return it == kOperations.end() ? nullptr : &*it;
}

bool IsExpressionOp(std::string_view name) {
  return FindOperation(name) != nullptr;
}

bool IsConditionOp(std::string_view name) {
  return In(name, kRelations) || name == "and" || name == "or";
}

std::string TreeText(const Node& n) {
  std::string out;
  AppendTree(n, out);
  return out;
}

std::optional<Node> ParseTree(std::string_view text, bool conditions) {
  return TreeParser(text, conditions).Run();
}

bool HasApprox(const Node& n) {
  return n.kind == Node::Kind::Approx || n.kind == Node::Kind::Undef ||
         std::ranges::any_of(n.args, HasApprox);
}

bool HasX(const Node& n) {
  return n.kind == Node::Kind::X || std::ranges::any_of(n.args, HasX);
}

std::string JsonLine(const JsonObject& o) {
  std::string out = "{";
  bool first = true;
  for (const auto& [key, v] : o) {
    if (!first) out += ',';
    first = false;
    AppendJsonString(key, out);
    out += ':';
    switch (v.kind) {
      case JsonValue::Kind::String:
        AppendJsonString(v.s, out);
        break;
      case JsonValue::Kind::Number:
        out += std::to_string(v.n);
        break;
      case JsonValue::Kind::Bool:
        out += v.b ? "true" : "false";
        break;
      case JsonValue::Kind::Strings: {
        out += '[';
        for (std::size_t i = 0; i < v.list.size(); ++i) {
          if (i) out += ',';
          AppendJsonString(v.list[i], out);
        }
        out += ']';
        break;
      }
    }
  }
  out += '}';
  return out;
}

std::optional<JsonObject> ParseJsonLine(std::string_view line) {
  return JsonParser(line).Run();
}

JsonValue JStr(std::string s) {
  JsonValue v;
  v.kind = JsonValue::Kind::String;
  v.s = std::move(s);
  return v;
}
JsonValue JNum(long long n) {
  JsonValue v;
  v.kind = JsonValue::Kind::Number;
  v.n = n;
  return v;
}
JsonValue JBool(bool b) {
  JsonValue v;
  v.kind = JsonValue::Kind::Bool;
  v.b = b;
  return v;
}
JsonValue JList(std::vector<std::string> l) {
  JsonValue v;
  v.kind = JsonValue::Kind::Strings;
  v.list = std::move(l);
  return v;
}

}  // namespace curvalis::study
