// The code the parser writes: each piece of a formula becomes a fragment of stack code, and
// constant fragments are folded and constant or x1 operands fused into the operation as they meet.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "core/formula_kernels.h"
#include "core/formula_names.h"
#include "core/formula_program.h"

// Included by the parser alone: its functions stay inline there, so that the parser compiles a
// formula as fast as when both were one file.
namespace curvalis::formula {

inline std::uint8_t TypeOf(const Value& v) {
  // In the order of ValueKind: Number, Text, Bool, Empty, Error (an error fits every set).
  static constexpr std::uint8_t kTypes[] = {kTypeNumber, kTypeText, kTypeBool, kTypeEmpty, 0};
  return kTypes[static_cast<std::size_t>(v.kind)];
}

// How the numeric stack holds a constant. Texts and empty cells never reach it.
inline double NumericImage(const Value& v) {
  if (v.kind == ValueKind::Error || v.kind == ValueKind::Text) {
    return Boxed(v.kind == ValueKind::Error ? v.error : ErrorCode::Value);
  }
  return v.kind == ValueKind::Empty ? 0.0 : v.number;
}

inline Value NumberValue(double boxed) {
  Value v;
  SetNumber(v, boxed);
  return v;
}

inline Value BoolValue(double boxed) {
  Value v;
  SetBool(v, boxed);
  return v;
}

// Both kinds are the same single kind (numbers, or truth values), errors aside.
inline bool SameSingleKind(std::uint8_t a, std::uint8_t b) {
  std::uint8_t both = a | b;
  return both == 0 || both == kTypeNumber || both == kTypeBool;
}

struct Frag {
  std::size_t begin = 0;    // first instruction
  std::uint8_t type = 0;    // TypeMask bits of the value
  bool isConstant = false;  // the code is one Const instruction
  bool rootIsLast = true;   // the last instruction computes the value (not so for IF, IFERROR)
  bool isE = false;         // the constant e as written, whose powers are EXP: e^x1 is exp(x1)
};

// Writes a program fragment by fragment. With `optimize` off it writes the plain stack code of
// the formula for the general interpreter: the reference the tests compare with.
class ProgramEmitter {
 public:
  ProgramEmitter(Program& program, bool optimize) : program_(program), optimize_(optimize) {}

  // Ends the program whose value `f` computes.
  void Finish(const Frag& f) {
    code().push_back(Instr{Op::Return});
    program_.resultType = f.type;
    program_.constant = optimize_ && f.isConstant;
    program_.numeric = optimize_ && numericOk_ && (f.type & (kTypeText | kTypeEmpty)) == 0;
    program_.depth = StackDepth(code().data(), code().data() + code().size());
  }

  // x1, the variable cell.
  Frag EmitX() {
    std::size_t begin = Here();
    code().push_back(Instr{Op::X});
    return MakeFrag(begin, kTypeNumber);
  }

  // IFERROR's drop of its first argument, an error, before the fallback.
  void EmitPop() { code().push_back(Instr{Op::Pop}); }

  // Unary for the student notation (bars, roots, powers of e), kept out of line so that the
  // spreadsheet syntax compiles as fast as it did: Unary stays inlined where it was.
  [[gnu::noinline]] Frag NotationUnary(Op op, Frag a) { return Unary(op, a); }

  // base^exponent (also base² and base³). The constant e as written raises by EXP, so e^x1 is
  // exactly exp(x1).
  Frag Raise(Frag base, Frag exponent) {
    if (!base.isE) return Arith(Op::Pow, base, exponent);
    code().erase(code().begin() + static_cast<std::ptrdiff_t>(base.begin));
    exponent.begin = base.begin;
    return NotationUnary(Op::Exp, exponent);
  }

  // A unary plus changes nothing ("+x"); an odd count of minus signs negates; an even count
  // still makes a number of the operand (--"3" is 3, --TRUE is 1).
  Frag ApplySigns(int minus, Frag f) {
    if (minus % 2 == 1) return Unary(Op::Neg, f);
    if (minus > 0) {
      if (optimize_ && !f.isConstant && f.type == kTypeNumber) return f;
      return Unary(Op::ToNumber, f);
    }
    return f;
  }

  std::vector<Instr>& code() { return program_.code; }
  std::size_t Here() const { return program_.code.size(); }

  Frag MakeFrag(std::size_t begin, std::uint8_t type) {
    Frag f{begin, type, Here() == begin + 1 && program_.code[begin].op == Op::Const, true};
    // Texts and empty cells that are not constants need the general interpreter.
    if (!f.isConstant && (type & (kTypeText | kTypeEmpty))) numericOk_ = false;
    return f;
  }

  Frag EmitConst(Value v) {
    std::size_t begin = Here();
    Instr in{Op::Const, static_cast<std::int32_t>(program_.pool.size()), 0, NumericImage(v)};
    std::uint8_t type = TypeOf(v);
    program_.pool.push_back(std::move(v));
    code().push_back(in);
    return MakeFrag(begin, type);
  }

  const Value& ConstOf(const Frag& f) const { return program_.pool[program_.code[f.begin].a]; }

  void ReplaceConst(Frag& f, Value v) {
    Instr& in = program_.code[f.begin];
    in.imm = NumericImage(v);
    f.type = TypeOf(v);
    program_.pool[in.a] = std::move(v);
  }

  Frag Emit(Op op, std::size_t begin, std::uint8_t type, std::int32_t a = 0, double imm = 0) {
    code().push_back(Instr{op, a, 0, imm});
    return MakeFrag(begin, type);
  }

  // A jump of IF or IFERROR between their arguments; If and IfError set its offsets.
  std::size_t EmitJump(Op op) {
    code().push_back(Instr{op});
    return Here() - 1;
  }

  // Runs the code from `begin` (all of it constant) now and keeps its value as one constant.
  Frag Fold(std::size_t begin) {
    const Instr* b = code().data() + begin;
    const Instr* e = code().data() + code().size();
    std::vector<Value> stack(std::max<std::size_t>(1, StackDepth(b, e)));
    RunGeneric(b, e, program_.pool.data(), stack.data(), 0.0);
    code().resize(begin);
    return EmitConst(std::move(stack[0]));
  }

  // Moves code [from, to) to `dest` (before it) and drops everything after. Jumps are relative,
  // so the moved code runs the same.
  void MoveDown(std::size_t dest, std::size_t from, std::size_t to) {
    std::copy(code().begin() + from, code().begin() + to, code().begin() + dest);
    code().resize(dest + (to - from));
  }

  // An operand of arithmetic that is a constant becomes its number (or error) now.
  void CoerceNumber(Frag& f) {
    if (f.isConstant && ConstOf(f).kind != ValueKind::Number) {
      ReplaceConst(f, NumberValue(NumberOf(ConstOf(f))));
    }
  }

  bool IsSingleX(const Frag& f) const {
    return Here() == f.begin + 1 && program_.code[f.begin].op == Op::X;
  }

  Frag Unary(Op op, Frag a) {
    if (optimize_ && IsSingleX(a)) {  // sin(x1) is one instruction
      code().back().op = OfX(op);
      return MakeFrag(a.begin, kTypeNumber);
    }
    Emit(op, a.begin, kTypeNumber);
    if (optimize_ && a.isConstant) return Fold(a.begin);
    return MakeFrag(a.begin, kTypeNumber);
  }

  // Not and IsError: any operand, a truth value out.
  Frag Simple(Op op, Frag a, std::uint8_t type) {
    Emit(op, a.begin, type);
    if (optimize_ && a.isConstant) return Fold(a.begin);
    return MakeFrag(a.begin, type);
  }

  Frag Numeric2(Op op, Frag l, Frag r) {
    if (optimize_) {
      CoerceNumber(l);
      CoerceNumber(r);
    }
    Emit(op, l.begin, kTypeNumber);
    if (optimize_ && l.isConstant && r.isConstant) return Fold(l.begin);
    return MakeFrag(l.begin, kTypeNumber);
  }

  // + - * / ^: a constant operand is fused into the operation (x1+1 is one instruction), as is
  // x1 on the right; x1^2 is a multiplication.
  Frag Arith(Op op, Frag l, Frag r) {
    if (!optimize_) return Emit(op, l.begin, kTypeNumber);
    CoerceNumber(l);
    CoerceNumber(r);
    if (l.isConstant && r.isConstant) {
      Emit(op, l.begin, kTypeNumber);
      return Fold(l.begin);
    }
    if (r.isConstant) {
      double k = code().back().imm;
      code().pop_back();
      if (op == Op::Pow && (k == 2 || k == 3)) {
        return Unary(k == 2 ? Op::Square : Op::Cube, l);
      }
      // -a*k is a*-k, -a/k is a/-k and -a+k is k-a, exactly: the sign goes into the constant.
      const Op last = code().back().op;
      if (!IsErr(k) && l.rootIsLast &&
          (last == Op::Neg || (last == Op::NegOfX && Here() == l.begin + 1)) &&
          (op == Op::Mul || op == Op::Div || op == Op::Add)) {
        if (last == Op::Neg) {
          code().pop_back();
        } else {
          code().back().op = Op::X;
        }
        return EmitK(op == Op::Add ? Op::RSubK : RightConst(op), l, op == Op::Add ? k : -k);
      }
      return EmitK(RightConst(op), l, k);
    }
    if (l.isConstant) {
      double k = code()[l.begin].imm;
      if (IsErr(k)) {  // the left error wins, whatever the right operand gives
        code().resize(l.begin);
        return EmitConst(NumberValue(k));
      }
      code().erase(code().begin() + static_cast<std::ptrdiff_t>(l.begin));
      r.begin = l.begin;
      return EmitK(LeftConst(op), r, k);
    }
    if (Here() == r.begin + 1 && code().back().op == Op::X) {
      code().pop_back();
      return Emit(RightX(op), l.begin, kTypeNumber);
    }
    return Emit(op, l.begin, kTypeNumber);
  }

  // `op` with the constant k on `operand`, which ends the code: x1 op k is one instruction.
  Frag EmitK(Op op, Frag operand, double k) {
    if (IsSingleX(operand)) {
      code().back() = Instr{OfX(op), 0, 0, k};
      return MakeFrag(operand.begin, kTypeNumber);
    }
    return Emit(op, operand.begin, kTypeNumber, 0, k);
  }

  // The fused form of + - * / ^ (of ^ for any other op) among `forms`, in that order.
  static Op Fused(Op op, std::array<Op, 5> forms) {
    static_assert(static_cast<int>(Op::Div) - static_cast<int>(Op::Add) == 3);
    const int i = static_cast<int>(op) - static_cast<int>(Op::Add);
    return forms[i >= 0 && i < 4 ? i : 4];
  }
  static Op RightConst(Op op) {
    return Fused(op, {Op::AddK, Op::SubK, Op::MulK, Op::DivK, Op::PowK});
  }
  // With a constant (not an error) on the left, + and * swap their operands exactly.
  static Op LeftConst(Op op) {
    return Fused(op, {Op::AddK, Op::RSubK, Op::MulK, Op::RDivK, Op::RPowK});
  }
  static Op RightX(Op op) { return Fused(op, {Op::AddX, Op::SubX, Op::MulX, Op::DivX, Op::PowX}); }

  Frag Compare(Op op, Frag l, Frag r) {
    if (optimize_) {
      if (l.isConstant && r.isConstant) {
        Emit(op, l.begin, kTypeBool);
        return Fold(l.begin);
      }
      // An empty cell compares as the zero of the other side's kind.
      if (l.isConstant && ConstOf(l).kind == ValueKind::Empty) EmptyAs(l, r.type);
      if (r.isConstant && ConstOf(r).kind == ValueKind::Empty) EmptyAs(r, l.type);
      if (!SameSingleKind(l.type, r.type)) numericOk_ = false;
    }
    return Emit(op, l.begin, kTypeBool);
  }

  void EmptyAs(Frag& f, std::uint8_t other) {
    if (other == kTypeNumber) ReplaceConst(f, Value::Num(0));
    if (other == kTypeBool) ReplaceConst(f, Value::Boolean(false));
  }

  Frag Concat(Frag l, Frag r) {
    Emit(Op::Concat, l.begin, kTypeText);
    if (optimize_ && l.isConstant && r.isConstant) return Fold(l.begin);
    return MakeFrag(l.begin, kTypeText);
  }

  Frag IsNumber(Frag a) {
    if (optimize_ && !a.isConstant && (a.type & kTypeNumber) == 0) {
      code().resize(a.begin);  // never a number
      return EmitConst(Value::Boolean(false));
    }
    if (optimize_ && !a.isConstant && a.type != kTypeNumber) numericOk_ = false;
    return Simple(Op::IsNumber, a, kTypeBool);
  }

  // MIN, MAX, AND, OR. Empty cells among the arguments are skipped, constant texts are read now.
  Frag List(Fn fn, Op op, std::vector<Frag>& args) {
    const std::size_t begin = args.front().begin;
    int n = static_cast<int>(args.size());
    bool allConst = true;
    if (optimize_) {
      for (auto it = args.rbegin(); it != args.rend(); ++it) {
        if (!it->isConstant) {
          allConst = false;
          continue;
        }
        const Value& v = ConstOf(*it);
        if (v.kind == ValueKind::Empty) {
          code().erase(code().begin() + static_cast<std::ptrdiff_t>(it->begin));
          --n;
        } else if (fn == Fn::Min || fn == Fn::Max) {
          CoerceNumber(*it);
        } else {
          ReplaceConst(*it, BoolValue(TruthOf(v)));
        }
      }
    }
    std::uint8_t type = (fn == Fn::Min || fn == Fn::Max) ? kTypeNumber : kTypeBool;
    Emit(op, begin, type, n);
    if (optimize_ && allConst) return Fold(begin);
    return MakeFrag(begin, type);
  }

  Frag If(std::vector<Frag>& args, std::size_t jumpIf, std::size_t jumpElse) {
    const Frag cond = args[0];
    const Frag then = args[1];
    const std::size_t elseBegin = jumpElse + 1;
    const Frag otherwise = args.size() == 3 ? args[2] : EmitConst(Value::Boolean(false));
    const std::size_t end = Here();
    code()[jumpIf].a = static_cast<std::int32_t>(elseBegin - jumpIf);
    code()[jumpIf].b = static_cast<std::int32_t>(end - jumpIf);
    code()[jumpElse].a = static_cast<std::int32_t>(end - jumpElse);
    if (optimize_ && cond.isConstant) {  // only the branch taken is kept
      double c = TruthOf(ConstOf(cond));
      if (IsErr(c)) {
        code().resize(cond.begin);
        return EmitConst(NumberValue(c));
      }
      const Frag& taken = c != 0 ? then : otherwise;
      MoveDown(cond.begin, taken.begin, c != 0 ? jumpElse : end);
      Frag f = MakeFrag(cond.begin, taken.type);
      f.rootIsLast = taken.rootIsLast;
      return f;
    }
    Frag f = MakeFrag(cond.begin, then.type | otherwise.type);
    f.rootIsLast = false;
    return f;
  }

  Frag IfError(std::vector<Frag>& args, std::size_t jump) {
    const Frag value = args[0];
    const Frag fallback = args[1];
    const std::size_t end = Here();
    code()[jump].a = static_cast<std::int32_t>(end - jump);
    if (optimize_ && value.isConstant) {
      if (ConstOf(value).kind == ValueKind::Error) {
        MoveDown(value.begin, jump + 2, end);
        Frag f = MakeFrag(value.begin, fallback.type);
        f.rootIsLast = fallback.rootIsLast;
        return f;
      }
      code().resize(value.begin + 1);
      return MakeFrag(value.begin, value.type);
    }
    Frag f = MakeFrag(value.begin, value.type | fallback.type);
    f.rootIsLast = false;
    return f;
  }

 private:
  Program& program_;
  const bool optimize_;
  bool numericOk_ = true;  // false once a value needs the general interpreter
};

}  // namespace curvalis::formula
