#include "core/formula_program.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <iterator>

#include "core/formula_kernels.h"

namespace curvalis::formula {

// ---------------------------------------------------------------- kernels out of line

double Fail1(double a, ErrorCode e) {
  return IsErr(a) ? a : Boxed(e);
}

double Fail2(double a, double b, ErrorCode e) {
  if (IsErr(a)) return a;
  if (IsErr(b)) return b;
  return Boxed(e);
}

double FailDiv(double a, double b) {
  if (IsErr(a)) return a;
  if (IsErr(b)) return b;
  return Boxed(b == 0 ? ErrorCode::Div0 : ErrorCode::Num);
}

namespace {

constexpr std::array<double, 171> MakeFactorials() {
  std::array<double, 171> f{};
  f[0] = 1;
  for (std::size_t i = 1; i < f.size(); ++i) f[i] = f[i - 1] * static_cast<double>(i);
  return f;
}
constexpr std::array<double, 171> kFactorials = MakeFactorials();

// Rounds |x| (not 0, finite) to `digits` decimals, working on its decimal digits the way the
// program shows the number (15 significant digits), so that 2.675 rounds to 2.68 although the
// double is a little below it. Where more digits are asked for, 17 digits (exact enough to read
// back the same double) decide; beyond them the number is returned unchanged.
double RoundDecimal(double x, int digits, bool awayFromZero) {
  const bool negative = x < 0;
  const double ax = std::fabs(x);
  char buf[48];
  int precision = 15;
  int exponent = 0;
  int keep = 0;
  for (;;) {
    auto res =
        std::to_chars(buf, buf + sizeof buf, ax, std::chars_format::scientific, precision - 1);
    *res.ptr = '\0';
    const char* e = std::strchr(buf, 'e');
    std::from_chars(e + (e[1] == '+' ? 2 : 1), res.ptr, exponent);
    keep = exponent + 1 + digits;  // significant digits kept
    if (keep < precision) break;
    if (precision == 17) return x;
    precision = 17;
  }
  if (keep < 0) return 0.0;
  // The digits without the point: buf[0], buf[2 .. precision].
  char mant[20];
  mant[0] = buf[0];
  std::memcpy(mant + 1, buf + 2, static_cast<std::size_t>(precision - 1));
  long long n = 0;
  for (int i = 0; i < keep; ++i) n = n * 10 + (mant[i] - '0');
  if (awayFromZero && mant[keep] >= '5') ++n;
  if (n == 0) return 0.0;
  char out[48];
  auto r1 = std::to_chars(out, out + 24, n);
  *r1.ptr++ = 'e';
  auto r2 = std::to_chars(r1.ptr, out + sizeof out, exponent + 1 - keep);
  double v = 0;
  auto parsed = std::from_chars(out, r2.ptr, v);
  if (parsed.ec != std::errc() || !std::isfinite(v)) return Boxed(ErrorCode::Num);
  return negative ? -v : v;
}

double RoundKernel(double x, double digits, bool awayFromZero) {
  if (IsErr(x)) return x;
  if (IsErr(digits)) return digits;
  if (x == 0) return 0.0;
  // Past +-400 decimals nothing changes any more, or everything is 0.
  double d = std::clamp(std::trunc(digits), -400.0, 400.0);
  return RoundDecimal(x, static_cast<int>(d), awayFromZero);
}

}  // namespace

double KFact(double a) {
  if (IsErr(a)) return a;
  if (a < 0) return Boxed(ErrorCode::Num);
  double n = std::floor(a);
  if (n >= static_cast<double>(kFactorials.size())) return Boxed(ErrorCode::Num);
  return kFactorials[static_cast<std::size_t>(n)];
}

// The sign of the divisor: MOD(-1, 3) is 2, MOD(1, -3) is -2.
double KMod(double a, double b) {
  if (IsErr(a)) return a;
  if (IsErr(b)) return b;
  if (b == 0) return Boxed(ErrorCode::Div0);
  double r = std::fmod(a, b);
  if (r != 0 && ((r < 0) != (b < 0))) {
    r += b;
    if (r == b) r = 0;  // a tiny remainder lost in the addition
  }
  return r + 0.0;
}

// Base 10 and 2 use their own logarithms, and a quotient within rounding of a whole number n
// with base^n == x is n: LOG(1000, 10) and LOG(27, 3) are exactly 3.
double KLogBase(double x, double base) {
  if (IsErr(x)) return x;
  if (IsErr(base)) return base;
  if (x <= 0 || base <= 0) return Boxed(ErrorCode::Num);
  if (base == 1) return Boxed(ErrorCode::Div0);
  double r;
  if (base == 10) {
    r = std::log10(x);
  } else if (base == 2) {
    r = std::log2(x);
  } else {
    r = std::log(x) / std::log(base);
    double n = std::nearbyint(r);
    if (n != r && std::fabs(r - n) <= 1e-14 * std::max(1.0, std::fabs(n)) &&
        std::pow(base, n) == x) {
      r = n;
    }
  }
  return Check1(r, x);
}

// ATAN2 in the spreadsheet's order: x first. Both 0 is #DIV/0!.
double KAtan2(double x, double y) {
  if (IsErr(x)) return x;
  if (IsErr(y)) return y;
  if (x == 0 && y == 0) return Boxed(ErrorCode::Div0);
  return std::atan2(y + 0.0, x + 0.0);  // + 0.0: a negative zero counts as zero
}

double KRound(double x, double digits) {
  return RoundKernel(x, digits, true);
}
double KTrunc(double x, double digits) {
  return RoundKernel(x, digits, false);
}

double KMin(const double* v, int n) {
  double m = 0;
  for (int i = 0; i < n; ++i) {
    if (IsErr(v[i])) return v[i];
    if (i == 0 || v[i] < m) m = v[i];
  }
  return m;
}

double KMax(const double* v, int n) {
  double m = 0;
  for (int i = 0; i < n; ++i) {
    if (IsErr(v[i])) return v[i];
    if (i == 0 || v[i] > m) m = v[i];
  }
  return m;
}

double KAnd(const double* v, int n) {
  if (n == 0) return Boxed(ErrorCode::Value);
  bool all = true;
  for (int i = 0; i < n; ++i) {
    if (IsErr(v[i])) return v[i];
    all = all && v[i] != 0;
  }
  return all ? 1.0 : 0.0;
}

double KOr(const double* v, int n) {
  if (n == 0) return Boxed(ErrorCode::Value);
  bool any = false;
  for (int i = 0; i < n; ++i) {
    if (IsErr(v[i])) return v[i];
    any = any || v[i] != 0;
  }
  return any ? 1.0 : 0.0;
}

// ---------------------------------------------------------------- conversions

std::size_t ScanDecimal(std::string_view s, double& out, bool& overflow) {
  overflow = false;
  auto isDigit = [&](std::size_t k) { return k < s.size() && s[k] >= '0' && s[k] <= '9'; };
  std::size_t i = 0;
  while (isDigit(i)) ++i;
  const std::size_t intDigits = i;
  std::size_t fracDigits = 0;
  if (i < s.size() && s[i] == '.') {
    std::size_t j = i + 1;
    while (isDigit(j)) ++j;
    fracDigits = j - i - 1;
    if (intDigits + fracDigits > 0) i = j;
  }
  if (intDigits + fracDigits == 0) return 0;
  const std::size_t mantissaEnd = i;
  long long exp10 = 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    bool negExp = false;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) negExp = s[j++] == '-';
    if (isDigit(j)) {
      while (isDigit(j)) {
        exp10 = std::min(exp10 * 10 + (s[j] - '0'), 1000000LL);
        ++j;
      }
      if (negExp) exp10 = -exp10;
      i = j;
    }
  }
  double v = 0;
  auto res = std::from_chars(s.data(), s.data() + i, v, std::chars_format::general);
  if (res.ec == std::errc::result_out_of_range) {
    // Too large or too small: the decimal exponent of the first significant digit tells which.
    long long magnitude = 0;
    bool found = false;
    for (std::size_t k = 0; k < mantissaEnd && !found; ++k) {
      if (s[k] == '.' || s[k] == '0') continue;
      found = true;
      magnitude = k < intDigits ? static_cast<long long>(intDigits - 1 - k)
                                : -static_cast<long long>(k - intDigits);
    }
    if (found && magnitude + exp10 > 0) overflow = true;
    v = 0;
  } else if (res.ec != std::errc() || res.ptr != s.data() + i) {
    return 0;
  }
  out = v;
  return i;
}

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

// Texts compare without regard to the case of ASCII letters; other bytes by their value.
int CompareNoCase(std::string_view a, std::string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    auto ca = static_cast<unsigned char>(Lower(a[i]));
    auto cb = static_cast<unsigned char>(Lower(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

double TextToNumber(std::string_view s) {
  s = Trim(s);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  double v = 0;
  bool overflow = false;
  std::size_t used = ScanDecimal(s, v, overflow);
  if (used == 0 || overflow) return Boxed(ErrorCode::Value);
  s.remove_prefix(used);
  if (!s.empty() && s.front() == '%') {
    v /= 100;
    s.remove_prefix(1);
  }
  if (!Trim(s).empty()) return Boxed(ErrorCode::Value);
  return negative ? -v : v;
}

}  // namespace

double NumberOf(const Value& v) {
  switch (v.kind) {
    case ValueKind::Number:
    case ValueKind::Bool:
      return v.number;
    case ValueKind::Empty:
      return 0.0;
    case ValueKind::Error:
      return Boxed(v.error);
    case ValueKind::Text:
      return TextToNumber(v.text);
  }
  return Boxed(ErrorCode::Value);
}

double TruthOf(const Value& v) {
  switch (v.kind) {
    case ValueKind::Number:
    case ValueKind::Bool:
      return v.number != 0 ? 1.0 : 0.0;
    case ValueKind::Empty:
      return 0.0;
    case ValueKind::Error:
      return Boxed(v.error);
    case ValueKind::Text: {
      std::string_view t = Trim(v.text);
      if (EqualsNoCase(t, "TRUE")) return 1.0;
      if (EqualsNoCase(t, "FALSE")) return 0.0;
      return Boxed(ErrorCode::Value);
    }
  }
  return Boxed(ErrorCode::Value);
}

void AppendNumberText(std::string& out, double v) {
  if (v == 0) v = 0;  // no "-0"
  char buf[40];
  auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
  for (char* p = buf; p != res.ptr; ++p) {
    if (*p == 'e') *p = 'E';
  }
  out.append(buf, res.ptr);
}

void SetNumber(Value& v, double boxed) {
  if (IsErr(boxed)) {
    v.kind = ValueKind::Error;
    v.error = ErrorOf(boxed);
    v.number = 0;
  } else {
    v.kind = ValueKind::Number;
    v.error = ErrorCode::None;
    v.number = boxed;
  }
}

void SetBool(Value& v, double boxed) {
  SetNumber(v, boxed);
  if (v.kind == ValueKind::Number) v.kind = ValueKind::Bool;
}

void FinishResult(Value& v) {
  if (v.kind == ValueKind::Empty) SetNumber(v, 0.0);
  if (v.kind == ValueKind::Number) v.number += 0.0;  // a negative zero becomes 0
  if (v.kind != ValueKind::Text) v.text.clear();     // what a stack slot held before
}

// ---------------------------------------------------------------- general interpreter

namespace {

void SetError(Value& v, ErrorCode e) {
  v.kind = ValueKind::Error;
  v.error = e;
  v.number = 0;
}

// Spreadsheet order: every number is below every text, every text below every truth value.
// An empty operand takes the other's kind (0, "" or FALSE).
int Rank(ValueKind k) {
  return k == ValueKind::Number ? 0 : k == ValueKind::Text ? 1 : 2;
}

void CompareValues(Value& a, const Value& b, Op op) {
  if (a.kind == ValueKind::Error) return;
  if (b.kind == ValueKind::Error) return SetError(a, b.error);
  ValueKind ka = a.kind == ValueKind::Empty ? b.kind : a.kind;
  ValueKind kb = b.kind == ValueKind::Empty ? ka : b.kind;
  int cmp = 0;
  if (ka != ValueKind::Empty) {
    if (Rank(ka) != Rank(kb)) {
      cmp = Rank(ka) < Rank(kb) ? -1 : 1;
    } else if (ka == ValueKind::Text) {
      std::string_view ta = a.kind == ValueKind::Text ? std::string_view(a.text) : "";
      std::string_view tb = b.kind == ValueKind::Text ? std::string_view(b.text) : "";
      cmp = CompareNoCase(ta, tb);
    } else {
      double x = a.kind == ValueKind::Empty ? 0.0 : a.number;
      double y = b.kind == ValueKind::Empty ? 0.0 : b.number;
      cmp = x < y ? -1 : (x > y ? 1 : 0);
    }
  }
  bool r = false;
  switch (op) {
    case Op::Eq:
      r = cmp == 0;
      break;
    case Op::Ne:
      r = cmp != 0;
      break;
    case Op::Lt:
      r = cmp < 0;
      break;
    case Op::Le:
      r = cmp <= 0;
      break;
    case Op::Gt:
      r = cmp > 0;
      break;
    case Op::Ge:
      r = cmp >= 0;
      break;
    default:
      break;
  }
  SetBool(a, r ? 1.0 : 0.0);
}

void AppendText(std::string& out, const Value& v) {
  switch (v.kind) {
    case ValueKind::Number:
      AppendNumberText(out, v.number);
      break;
    case ValueKind::Bool:
      out.append(v.number != 0 ? "TRUE" : "FALSE");
      break;
    case ValueKind::Text:
      out.append(v.text);
      break;
    case ValueKind::Empty:
    case ValueKind::Error:
      break;
  }
}

void ConcatValues(Value& a, const Value& b) {
  if (a.kind == ValueKind::Error) return;
  if (b.kind == ValueKind::Error) return SetError(a, b.error);
  if (a.kind != ValueKind::Text) {
    const Value left{a.kind, a.error, a.number, {}};
    a.text.clear();  // keeps the slot's capacity
    AppendText(a.text, left);
    a.kind = ValueKind::Text;
    a.error = ErrorCode::None;
    a.number = 0;
  }
  AppendText(a.text, b);
}

// MIN and MAX skip empty cells; no value at all gives 0.
void MinMaxValues(Value* args, int n, bool max) {
  double m = 0;
  bool any = false;
  for (int i = 0; i < n; ++i) {
    if (args[i].kind == ValueKind::Empty) continue;
    double v = NumberOf(args[i]);
    if (IsErr(v)) return SetNumber(args[0], v);
    if (!any || (max ? v > m : v < m)) m = v;
    any = true;
  }
  SetNumber(args[0], m);
}

// AND and OR skip empty cells; no truth value at all is #VALUE!.
void AndOrValues(Value* args, int n, bool isAnd) {
  double t[1];
  bool result = isAnd;
  int counted = 0;
  for (int i = 0; i < n; ++i) {
    if (args[i].kind == ValueKind::Empty) continue;
    t[0] = TruthOf(args[i]);
    if (IsErr(t[0])) return SetBool(args[0], t[0]);
    result = isAnd ? (result && t[0] != 0) : (result || t[0] != 0);
    ++counted;
  }
  SetBool(args[0], counted == 0 ? Boxed(ErrorCode::Value) : (result ? 1.0 : 0.0));
}

}  // namespace

// clang-format off
Op OfX(Op op) {
  switch (op) {
#define CURVALIS_CASE(name, kernel) case Op::name: return Op::name##OfX;
    CURVALIS_FORMULA_UNARY(CURVALIS_CASE)
    CURVALIS_FORMULA_RIGHT_CONST(CURVALIS_CASE)
    CURVALIS_FORMULA_LEFT_CONST(CURVALIS_CASE)
#undef CURVALIS_CASE
    default: return op;
  }
}
// clang-format on

// clang-format off
DirectFn DirectKernel(Op op) {
  switch (op) {
#define CURVALIS_CASE(name, kernel)                                         \
    case Op::name##OfX:                                                     \
      return [](double x) {                                                 \
        return kernel(std::isfinite(x) ? x : Boxed(ErrorCode::Num));        \
      };
    CURVALIS_FORMULA_UNARY(CURVALIS_CASE)
#undef CURVALIS_CASE
    default: return nullptr;
  }
}
// clang-format on

void RunGeneric(const Instr* ip, const Instr* end, const Value* pool, Value* st, double x) {
  const double xv = std::isfinite(x) ? x : Boxed(ErrorCode::Num);
  std::ptrdiff_t sp = -1;
  // clang-format off
  for (; ip < end; ++ip) {
    switch (ip->op) {
      case Op::Const: st[++sp] = pool[ip->a]; break;
      case Op::X: SetNumber(st[++sp], xv); break;
#define CURVALIS_CASE(name, kernel)                                          \
      case Op::name: SetNumber(st[sp], kernel(NumberOf(st[sp]))); break;     \
      case Op::name##OfX: SetNumber(st[++sp], kernel(xv)); break;
      CURVALIS_FORMULA_UNARY(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                          \
      case Op::name: {                                                       \
        double a = NumberOf(st[sp - 1]);                                     \
        double b = NumberOf(st[sp]);                                         \
        SetNumber(st[--sp], kernel(a, b));                                   \
        break;                                                               \
      }
      CURVALIS_FORMULA_BINARY(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                                  \
      case Op::name: SetNumber(st[sp], kernel(NumberOf(st[sp]), ip->imm)); break;    \
      case Op::name##OfX: SetNumber(st[++sp], kernel(xv, ip->imm)); break;
      CURVALIS_FORMULA_RIGHT_CONST(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                                  \
      case Op::name: SetNumber(st[sp], kernel(ip->imm, NumberOf(st[sp]))); break;    \
      case Op::name##OfX: SetNumber(st[++sp], kernel(ip->imm, xv)); break;
      CURVALIS_FORMULA_LEFT_CONST(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                                  \
      case Op::name: SetNumber(st[sp], kernel(NumberOf(st[sp]), xv)); break;
      CURVALIS_FORMULA_RIGHT_X(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                                  \
      case Op::name: CompareValues(st[sp - 1], st[sp], ip->op); --sp; break;
      CURVALIS_FORMULA_COMPARE(CURVALIS_CASE)
#undef CURVALIS_CASE
      // clang-format on
      case Op::Not:
        SetBool(st[sp], KNot(TruthOf(st[sp])));
        break;
      case Op::IsError:
        SetBool(st[sp], st[sp].kind == ValueKind::Error ? 1.0 : 0.0);
        break;
      case Op::IsNumber:
        SetBool(st[sp], st[sp].kind == ValueKind::Number ? 1.0 : 0.0);
        break;
      case Op::Concat:
        ConcatValues(st[sp - 1], st[sp]);
        --sp;
        break;
      case Op::Min:
      case Op::Max:
        MinMaxValues(&st[sp - ip->a + 1], ip->a, ip->op == Op::Max);
        sp -= ip->a - 1;
        break;
      case Op::And:
      case Op::Or:
        AndOrValues(&st[sp - ip->a + 1], ip->a, ip->op == Op::And);
        sp -= ip->a - 1;
        break;
      case Op::JumpIfFalse: {
        double c = TruthOf(st[sp]);
        if (IsErr(c)) {
          SetNumber(st[sp], c);
          ip += ip->b - 1;
        } else {
          --sp;
          if (c == 0) ip += ip->a - 1;
        }
        break;
      }
      case Op::Jump:
        ip += ip->a - 1;
        break;
      case Op::JumpIfNotError:
        if (st[sp].kind != ValueKind::Error) ip += ip->a - 1;
        break;
      case Op::Pop:
        --sp;
        break;
      case Op::Return:
        return;
    }
  }
}

// ---------------------------------------------------------------- numeric interpreter

// With GCC and Clang each operation jumps to the next one itself (threaded code), which the
// processor predicts better than one shared switch; elsewhere it is a plain switch.
#if defined(__GNUC__)
#define CURVALIS_THREADED 1
#else
#define CURVALIS_THREADED 0
#endif

// The top of the stack lives in `tos`; the slots below it in stack[1..]. stack[0] takes the
// meaningless initial top on the first push.
double RunNumeric(const Instr* ip, double* stack, double x) {
  const double xv = std::isfinite(x) ? x : Boxed(ErrorCode::Num);
  double* sp = stack;
  double tos = 0;
  // clang-format off
#if CURVALIS_THREADED
#define CURVALIS_LABEL_K(name, kernel) &&L_##name,
#define CURVALIS_LABEL_P(name) &&L_##name,
#define CURVALIS_LABEL_KX(name, kernel) &&L_##name##OfX,
  static const void* const kLabels[] = {
      CURVALIS_FORMULA_ALL(CURVALIS_LABEL_K, CURVALIS_LABEL_P, CURVALIS_LABEL_KX)};
#undef CURVALIS_LABEL_K
#undef CURVALIS_LABEL_P
#undef CURVALIS_LABEL_KX
  static_assert(std::size(kLabels) == static_cast<std::size_t>(Op::Return) + 1);
#define CURVALIS_OP(name) L_##name:
#define CURVALIS_NEXT goto* kLabels[static_cast<std::size_t>((++ip)->op)]
  goto* kLabels[static_cast<std::size_t>(ip->op)];
#else
#define CURVALIS_OP(name) case Op::name:
#define CURVALIS_NEXT ++ip; continue
  for (;;) {
    switch (ip->op) {
#endif
  CURVALIS_OP(Const) *sp++ = tos; tos = ip->imm; CURVALIS_NEXT;
  CURVALIS_OP(X) *sp++ = tos; tos = xv; CURVALIS_NEXT;
#define CURVALIS_CASE(name, kernel)                                         \
  CURVALIS_OP(name) tos = kernel(tos); CURVALIS_NEXT;                       \
  CURVALIS_OP(name##OfX) *sp++ = tos; tos = kernel(xv); CURVALIS_NEXT;
  CURVALIS_FORMULA_UNARY(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel) \
  CURVALIS_OP(name) tos = kernel(*--sp, tos); CURVALIS_NEXT;
  CURVALIS_FORMULA_BINARY(CURVALIS_CASE)
  CURVALIS_FORMULA_COMPARE(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                         \
  CURVALIS_OP(name) tos = kernel(tos, ip->imm); CURVALIS_NEXT;              \
  CURVALIS_OP(name##OfX) *sp++ = tos; tos = kernel(xv, ip->imm); CURVALIS_NEXT;
  CURVALIS_FORMULA_RIGHT_CONST(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                         \
  CURVALIS_OP(name) tos = kernel(ip->imm, tos); CURVALIS_NEXT;              \
  CURVALIS_OP(name##OfX) *sp++ = tos; tos = kernel(ip->imm, xv); CURVALIS_NEXT;
  CURVALIS_FORMULA_LEFT_CONST(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel) \
  CURVALIS_OP(name) tos = kernel(tos, xv); CURVALIS_NEXT;
  CURVALIS_FORMULA_RIGHT_X(CURVALIS_CASE)
#undef CURVALIS_CASE
  CURVALIS_OP(Not) tos = KNot(tos); CURVALIS_NEXT;
  CURVALIS_OP(IsError) tos = KIsError(tos); CURVALIS_NEXT;
  CURVALIS_OP(IsNumber) tos = KIsNumber(tos); CURVALIS_NEXT;
  // The values of a list are sp[-(a-1)] .. sp[-1] and tos: tos goes in place to have them in a row.
  CURVALIS_OP(Min) *sp = tos; sp -= ip->a - 1; tos = KMin(sp, ip->a); CURVALIS_NEXT;
  CURVALIS_OP(Max) *sp = tos; sp -= ip->a - 1; tos = KMax(sp, ip->a); CURVALIS_NEXT;
  CURVALIS_OP(And) *sp = tos; sp -= ip->a - 1; tos = KAnd(sp, ip->a); CURVALIS_NEXT;
  CURVALIS_OP(Or) *sp = tos; sp -= ip->a - 1; tos = KOr(sp, ip->a); CURVALIS_NEXT;
  CURVALIS_OP(JumpIfFalse)
    if (IsErr(tos)) {
      ip += ip->b - 1;
    } else {
      const bool c = tos != 0;
      tos = *--sp;
      if (!c) ip += ip->a - 1;
    }
    CURVALIS_NEXT;
  CURVALIS_OP(Jump) ip += ip->a - 1; CURVALIS_NEXT;
  CURVALIS_OP(JumpIfNotError) if (!IsErr(tos)) ip += ip->a - 1; CURVALIS_NEXT;
  CURVALIS_OP(Pop) tos = *--sp; CURVALIS_NEXT;
  CURVALIS_OP(Concat)  // never in a numeric program
  CURVALIS_OP(Return) return tos;
#if !CURVALIS_THREADED
    }
  }
#endif
#undef CURVALIS_OP
#undef CURVALIS_NEXT
// clang-format on
}

std::size_t StackDepth(const Instr* ip, const Instr* end) {
  std::ptrdiff_t depth = 0;
  std::ptrdiff_t most = 0;
  for (; ip < end; ++ip) {
    switch (ip->op) {
      // clang-format off
#define CURVALIS_CASE(name, kernel) case Op::name##OfX:
      CURVALIS_FORMULA_UNARY(CURVALIS_CASE)
      CURVALIS_FORMULA_RIGHT_CONST(CURVALIS_CASE)
      CURVALIS_FORMULA_LEFT_CONST(CURVALIS_CASE)
#undef CURVALIS_CASE
      // clang-format on
      case Op::Const:
      case Op::X:
        ++depth;
        break;
        // clang-format off
#define CURVALIS_CASE(name, kernel) case Op::name:
      CURVALIS_FORMULA_BINARY(CURVALIS_CASE)
      CURVALIS_FORMULA_COMPARE(CURVALIS_CASE)
#undef CURVALIS_CASE
      // clang-format on
      case Op::Concat:
      case Op::JumpIfFalse:  // pops the condition
      case Op::Jump:         // the else branch starts where the then branch started
      case Op::Pop:
        --depth;
        break;
      case Op::Min:
      case Op::Max:
      case Op::And:
      case Op::Or:
        depth -= ip->a - 1;
        break;
      default:
        break;
    }
    most = std::max(most, depth);
  }
  return static_cast<std::size_t>(most);
}

}  // namespace curvalis::formula
