// A compiled formula: a flat vector of typed stack instructions with its constants, and the two
// interpreters that run it. The numeric interpreter runs programs whose every value is a number
// or a truth value on a stack of doubles (errors boxed in NaNs, see formula_kernels.h); the
// general one runs any program on a stack of Values. Both stacks are sized at compile time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/formula.h"
#include "core/formula_kernels.h"
#include "core/value.h"

namespace curvalis::formula {

// clang-format off

// One operation on a numeric kernel of one operand (the top of the stack). Each also has an
// ...OfX form that pushes the operation applied to the variable cell: SinOfX is sin(x1).
#define CURVALIS_FORMULA_UNARY(X)                                                     \
  X(Neg, KNeg) X(Percent, KPercent) X(ToNumber, KToNumber) X(Square, KSquare)         \
  X(Cube, KCube) X(Abs, KAbs) X(Sign, KSign) X(Int, KInt) X(Sqrt, KSqrt) X(Exp, KExp) \
  X(Ln, KLn) X(Log10, KLog10) X(Sin, KSin) X(Cos, KCos) X(Tan, KTan) X(Asin, KAsin)   \
  X(Acos, KAcos) X(Atan, KAtan) X(Sinh, KSinh) X(Cosh, KCosh) X(Tanh, KTanh)          \
  X(Asinh, KAsinh) X(Acosh, KAcosh) X(Atanh, KAtanh) X(Sec, KSec) X(Csc, KCsc)        \
  X(Cot, KCot) X(Fact, KFact) X(Degrees, KDegrees) X(Radians, KRadians)

// Numeric kernels of two operands: the one below the top and the top.
#define CURVALIS_FORMULA_BINARY(X)                                                  \
  X(Add, KAdd) X(Sub, KSub) X(Mul, KMul) X(Div, KDiv) X(Pow, KPow) X(Mod, KMod)     \
  X(LogBase, KLogBase) X(Atan2, KAtan2) X(Round, KRound) X(Trunc, KTrunc)

// The same with the right operand a constant (imm: top op imm), or the left operand a constant
// (R...K: imm op top); each with its ...OfX form (x1 op imm, imm op x1). And with the right
// operand the variable cell (...X: top op x1). They save a push each.
#define CURVALIS_FORMULA_RIGHT_CONST(X) \
  X(AddK, KAdd) X(SubK, KSub) X(MulK, KMul) X(DivK, KDiv) X(PowK, KPow)
#define CURVALIS_FORMULA_LEFT_CONST(X) X(RSubK, KSub) X(RDivK, KDiv) X(RPowK, KPow)
#define CURVALIS_FORMULA_RIGHT_X(X) \
  X(AddX, KAdd) X(SubX, KSub) X(MulX, KMul) X(DivX, KDiv) X(PowX, KPow)

// Comparisons: numeric kernels for two numbers or two truth values; Values otherwise.
#define CURVALIS_FORMULA_COMPARE(X) \
  X(Eq, KEq) X(Ne, KNe) X(Lt, KLt) X(Le, KLe) X(Gt, KGt) X(Ge, KGe)

// The remaining operations, without a kernel of their own.
#define CURVALIS_FORMULA_OTHER(X)                                                          \
  X(Not) X(IsError) X(IsNumber) X(Concat) X(Min) X(Max) X(And) X(Or) X(JumpIfFalse)      \
  X(Jump) X(JumpIfNotError) X(Pop) X(Return)

// Every operation in the order of the enum: the interpreters' dispatch tables follow it.
// K(name, kernel) is an operation with a kernel, P(name) one without.
#define CURVALIS_FORMULA_ALL(K, P, KX)                                   \
  P(Const) P(X)                                                          \
  CURVALIS_FORMULA_UNARY(K) CURVALIS_FORMULA_UNARY(KX)                   \
  CURVALIS_FORMULA_BINARY(K)                                             \
  CURVALIS_FORMULA_RIGHT_CONST(K) CURVALIS_FORMULA_RIGHT_CONST(KX)       \
  CURVALIS_FORMULA_LEFT_CONST(K) CURVALIS_FORMULA_LEFT_CONST(KX)         \
  CURVALIS_FORMULA_RIGHT_X(K) CURVALIS_FORMULA_COMPARE(K)                \
  CURVALIS_FORMULA_OTHER(P)

#define CURVALIS_FORMULA_ENUM_K(name, kernel) name,
#define CURVALIS_FORMULA_ENUM_P(name) name,
#define CURVALIS_FORMULA_ENUM_KX(name, kernel) name##OfX,

// Const: push pool[a] (imm on the numeric stack). X: push the variable cell.
// Not: the truth value of the top, negated. IsError, IsNumber: TRUE when the top is one.
// Concat: the text of both, joined. Min, Max, And, Or: of the top a values.
// JumpIfFalse: pop a truth value; false: jump by a; an error: keep it, jump by b.
// Jump: jump by a. JumpIfNotError: the top is no error: jump by a (and keep it).
// Pop: drop the top. Return: end of the program.
enum class Op : std::uint8_t {
  CURVALIS_FORMULA_ALL(CURVALIS_FORMULA_ENUM_K, CURVALIS_FORMULA_ENUM_P, CURVALIS_FORMULA_ENUM_KX)
};

#undef CURVALIS_FORMULA_ENUM_K
#undef CURVALIS_FORMULA_ENUM_P
#undef CURVALIS_FORMULA_ENUM_KX

// clang-format on

// The ...OfX form of a unary or constant-operand operation.
Op OfX(Op op);

struct Instr {
  Op op = Op::Return;
  std::int32_t a = 0;  // constant index, value count, or jump offset from this instruction
  std::int32_t b = 0;  // JumpIfFalse: offset to the end of the IF, taken on an error
  double imm = 0;      // the operand constant, as the numeric stack holds it
};

struct Program {
  std::vector<Instr> code;      // ends with Return
  std::vector<Value> pool;      // constants of the general interpreter
  std::size_t depth = 0;        // stack slots the program needs
  bool numeric = false;         // every value is a number or a truth value: runs on doubles
  bool constant = false;        // the program is one constant, pool[code[0].a]
  std::uint8_t resultType = 0;  // TypeMask bits the result can have (errors aside)
};

// Kinds a value can have, as a compile-time set. An error fits every set.
enum TypeMask : std::uint8_t { kTypeNumber = 1, kTypeBool = 2, kTypeText = 4, kTypeEmpty = 8 };

struct CompileOptions {
  // Constant folding, operand fusion and the numeric interpreter. Off, the program is the plain
  // stack code of the formula for the general interpreter: the reference the tests compare with.
  bool optimize = true;
};

// Compiles `formula` into `out`; on rejection `out` is empty and `where`, when given, tells
// what was rejected and where.
FormulaReject CompileProgram(std::string_view formula, Program& out, const CompileOptions& options,
                             FormulaRejection* where = nullptr);

// A program that is one operation on x1 (sin(x1), exp(x1), ...) as a plain function of x, or
// nullptr for any other operation.
using DirectFn = double (*)(double);
DirectFn DirectKernel(Op op);

// Runs a numeric program; the result is a double with errors boxed.
double RunNumeric(const Instr* code, double* stack, double x);
// Runs code [begin, end) on Values; the result is left in stack[0].
void RunGeneric(const Instr* begin, const Instr* end, const Value* pool, Value* stack, double x);
// ---- batch evaluation (formula_batch.cpp) ----
// Samples a batch runs at once: each instruction runs over this many before the next one.
inline constexpr std::size_t kBatchChunk = 256;
// Whether RunBatch can run the program: a numeric one without IF and IFERROR.
bool BatchRunnable(const Program& p);
// The stack of arrays a batch runs on, sized for one program when it is compiled.
struct BatchStack {
  std::vector<double> storage;  // abscissas, a spare array, one array per slot, a list's row
  std::vector<double*> slots;
  void Reserve(const Program& p);
};
// Runs a batch-runnable program over xs[0, n), n <= kBatchChunk. Element j of the array it
// returns (which lives in `stack` until the next run) is what RunNumeric gives for xs[j], bit
// for bit.
const double* RunBatch(const Instr* code, BatchStack& stack, const double* xs, std::size_t n);
// The results of a batch as EvaluateNumber gives them: an error is NaN, a negative zero 0.
void BatchNumbers(const double* boxed, double* out, std::size_t n);

// Stack slots code [begin, end) needs.
std::size_t StackDepth(const Instr* begin, const Instr* end);

// The formula's value at x, compiled without optimisation and run on Values: the reference
// behaviour of the language. Returns the rejection reason, or None with the value in `out`.
FormulaReject EvaluateReference(std::string_view formula, double x, Value& out);

// ---- value conversions ----
// A text as a number in arithmetic: one that reads as a number (blanks around, a sign, an
// optional %) is that number, any other a boxed #VALUE!.
double TextToNumber(std::string_view s);
// The value as a number in arithmetic: a number or truth value as itself, empty as 0, a text
// as TextToNumber reads it, an error boxed.
inline double NumberOf(const Value& v) {
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
// The value as a condition: 1 or 0, an error boxed; the texts "TRUE" and "FALSE" (any case)
// count as truth values, other texts give #VALUE!; empty is false.
double TruthOf(const Value& v);
// The text a number becomes when joined with "&": up to 15 significant digits (%.15G).
void AppendNumberText(std::string& out, double v);
// A boxed double into a value: a number (or truth value), or the error it carries.
inline void SetNumber(Value& v, double boxed) {
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
inline void SetBool(Value& v, double boxed) {
  SetNumber(v, boxed);
  if (v.kind == ValueKind::Number) v.kind = ValueKind::Bool;
}
// The value as the formula's result: empty becomes 0, a negative zero 0, and only a text keeps
// a text.
void FinishResult(Value& v);

}  // namespace curvalis::formula
