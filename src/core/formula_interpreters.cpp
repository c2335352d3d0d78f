// The two interpreters of a compiled formula: the general one on Values and the numeric one on
// doubles (threaded code), with the stack depth a program needs and the one-kernel programs.
#include <algorithm>
#include <iterator>
#include <string_view>

#include "core/formula_kernels.h"
#include "core/formula_program.h"

namespace curvalis::formula {
namespace {

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
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
