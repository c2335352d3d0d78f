// The parser of the formula language. It reads the formula once, by recursive descent, and
// writes the program as it goes: each parse function emits the stack code of what it read and
// returns it as a fragment (where its code starts, which kinds its value can have, whether it
// is one constant). Constant fragments are folded as soon as they are combined, so the program
// keeps only the work that depends on x1.
//
// Besides the spreadsheet's syntax it reads formulas as students write them: a product without
// its "*" (2x1, 3(x1+1), x1 sin(x1)), the constants e and pi, Italian names of the functions,
// the Unicode symbols of the lexer and absolute value bars |...|. None of these was valid
// before, so every formula of the spreadsheet's syntax reads as it always did.
//
// Recursion happens only through parentheses, calls, bars and roots, and the nesting depth is
// checked before each level is entered, so no formula can exhaust the stack. Chains of
// operators, signs and percent signs are read by loops.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "core/formula_kernels.h"
#include "core/formula_lexer.h"
#include "core/formula_program.h"

namespace curvalis::formula {
namespace {

constexpr int kMaxArguments = 255;

enum class Fn {
  Unary,   // one number in, one number out: the op says which
  Binary,  // two numbers: the op says which
  Pow,
  Log,
  Round,
  Trunc,
  Pi,
  Min,
  Max,
  And,
  Or,
  Not,
  If,
  IfError,
  IsError,
  IsNumber,
  True,
  False,
};

struct FnInfo {
  std::string_view name;  // upper case
  Fn fn;
  Op op;
  int minArgs;
  int maxArgs;
};

constexpr FnInfo kFunctions[] = {
    {"ABS", Fn::Unary, Op::Abs, 1, 1},
    {"ACOS", Fn::Unary, Op::Acos, 1, 1},
    {"ACOSH", Fn::Unary, Op::Acosh, 1, 1},
    {"AND", Fn::And, Op::And, 1, kMaxArguments},
    {"ASIN", Fn::Unary, Op::Asin, 1, 1},
    {"ASINH", Fn::Unary, Op::Asinh, 1, 1},
    {"ATAN", Fn::Unary, Op::Atan, 1, 1},
    {"ATAN2", Fn::Binary, Op::Atan2, 2, 2},
    {"ATANH", Fn::Unary, Op::Atanh, 1, 1},
    {"COS", Fn::Unary, Op::Cos, 1, 1},
    {"COSH", Fn::Unary, Op::Cosh, 1, 1},
    {"COT", Fn::Unary, Op::Cot, 1, 1},
    {"CSC", Fn::Unary, Op::Csc, 1, 1},
    {"DEGREES", Fn::Unary, Op::Degrees, 1, 1},
    {"EXP", Fn::Unary, Op::Exp, 1, 1},
    {"FACT", Fn::Unary, Op::Fact, 1, 1},
    {"FALSE", Fn::False, Op::Const, 0, 0},
    {"IF", Fn::If, Op::JumpIfFalse, 2, 3},
    {"IFERROR", Fn::IfError, Op::JumpIfNotError, 2, 2},
    {"INT", Fn::Unary, Op::Int, 1, 1},
    {"ISERROR", Fn::IsError, Op::IsError, 1, 1},
    {"ISNUMBER", Fn::IsNumber, Op::IsNumber, 1, 1},
    {"LN", Fn::Unary, Op::Ln, 1, 1},
    {"LOG", Fn::Log, Op::LogBase, 1, 2},
    {"LOG10", Fn::Unary, Op::Log10, 1, 1},
    {"MAX", Fn::Max, Op::Max, 1, kMaxArguments},
    {"MIN", Fn::Min, Op::Min, 1, kMaxArguments},
    {"MOD", Fn::Binary, Op::Mod, 2, 2},
    {"NOT", Fn::Not, Op::Not, 1, 1},
    {"OR", Fn::Or, Op::Or, 1, kMaxArguments},
    {"PI", Fn::Pi, Op::Const, 0, 0},
    {"POWER", Fn::Pow, Op::Pow, 2, 2},
    {"RADIANS", Fn::Unary, Op::Radians, 1, 1},
    {"ROUND", Fn::Round, Op::Round, 1, 2},
    {"SEC", Fn::Unary, Op::Sec, 1, 1},
    {"SIGN", Fn::Unary, Op::Sign, 1, 1},
    {"SIN", Fn::Unary, Op::Sin, 1, 1},
    {"SINH", Fn::Unary, Op::Sinh, 1, 1},
    {"SQRT", Fn::Unary, Op::Sqrt, 1, 1},
    {"TAN", Fn::Unary, Op::Tan, 1, 1},
    {"TANH", Fn::Unary, Op::Tanh, 1, 1},
    {"TRUE", Fn::True, Op::Const, 0, 0},
    {"TRUNC", Fn::Trunc, Op::Trunc, 1, 2},
    // The names an Italian student writes.
    {"SEN", Fn::Unary, Op::Sin, 1, 1},
    {"TG", Fn::Unary, Op::Tan, 1, 1},
    {"COTG", Fn::Unary, Op::Cot, 1, 1},
    {"ARCSEN", Fn::Unary, Op::Asin, 1, 1},
    {"ARCSIN", Fn::Unary, Op::Asin, 1, 1},
    {"ARCCOS", Fn::Unary, Op::Acos, 1, 1},
    {"ARCTG", Fn::Unary, Op::Atan, 1, 1},
    {"ARCTAN", Fn::Unary, Op::Atan, 1, 1},
    {"SENH", Fn::Unary, Op::Sinh, 1, 1},
    {"TGH", Fn::Unary, Op::Tanh, 1, 1},
    {"RADQ", Fn::Unary, Op::Sqrt, 1, 1},
};

char Upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsUpper(std::string_view name, std::string_view upper) {
  if (name.size() != upper.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (Upper(name[i]) != upper[i]) return false;
  }
  return true;
}

const FnInfo* FindFunction(std::string_view name) {
  for (const FnInfo& f : kFunctions) {
    if (EqualsUpper(name, f.name)) return &f;
  }
  return nullptr;
}

enum class NameKind { VariableCell, EmptyCell, True, False, E, Pi, Unknown, Malformed };

// A cell reference is 1 to 3 column letters up to XFD and a row from 1 to 1048576, each part
// optionally anchored with "$": x1, X1, $X$1 are the variable cell; A1, X12, B1 empty cells.
// The constants are e, pi and π, in any case.
NameKind ClassifyName(std::string_view s) {
  if (EqualsUpper(s, "TRUE")) return NameKind::True;
  if (EqualsUpper(s, "FALSE")) return NameKind::False;
  if (EqualsUpper(s, "E")) return NameKind::E;
  if (EqualsUpper(s, "PI") || s == "\xCF\x80") return NameKind::Pi;
  std::size_t i = 0;
  auto dollar = [&] {
    if (i < s.size() && s[i] == '$') ++i;
  };
  dollar();
  long column = 0;
  std::size_t letters = 0;
  while (i < s.size() && ((s[i] >= 'a' && s[i] <= 'z') || (s[i] >= 'A' && s[i] <= 'Z'))) {
    if (letters < 4) column = column * 26 + (Upper(s[i]) - 'A' + 1);  // more is no cell anyway
    ++letters;
    ++i;
  }
  dollar();
  long row = 0;
  std::size_t digits = 0;
  while (i < s.size() && s[i] >= '0' && s[i] <= '9' && row <= 1048576) {
    row = row * 10 + (s[i] - '0');
    ++digits;
    ++i;
  }
  bool isCell = i == s.size() && letters >= 1 && letters <= 3 && column <= 16384 && digits >= 1 &&
                s[s.size() - digits] != '0' && row >= 1 && row <= 1048576;
  if (isCell) return (column == 24 && row == 1) ? NameKind::VariableCell : NameKind::EmptyCell;
  if (s.find('$') != std::string_view::npos) return NameKind::Malformed;  // "$A", "A$$1"
  return NameKind::Unknown;
}

std::uint8_t TypeOf(const Value& v) {
  switch (v.kind) {
    case ValueKind::Number:
      return kTypeNumber;
    case ValueKind::Bool:
      return kTypeBool;
    case ValueKind::Text:
      return kTypeText;
    case ValueKind::Empty:
      return kTypeEmpty;
    case ValueKind::Error:
      return 0;
  }
  return 0;
}

// How the numeric stack holds a constant. Texts and empty cells never reach it.
double NumericImage(const Value& v) {
  switch (v.kind) {
    case ValueKind::Number:
    case ValueKind::Bool:
      return v.number;
    case ValueKind::Error:
      return Boxed(v.error);
    case ValueKind::Empty:
      return 0.0;
    case ValueKind::Text:
      return Boxed(ErrorCode::Value);
  }
  return 0.0;
}

Value NumberValue(double boxed) {
  Value v;
  SetNumber(v, boxed);
  return v;
}

Value BoolValue(double boxed) {
  Value v;
  SetBool(v, boxed);
  return v;
}

// Both kinds are the same single kind (numbers, or truth values), errors aside.
bool SameSingleKind(std::uint8_t a, std::uint8_t b) {
  std::uint8_t both = a | b;
  return both == 0 || both == kTypeNumber || both == kTypeBool;
}

struct Frag {
  std::size_t begin = 0;   // first instruction
  std::uint8_t type = 0;   // TypeMask bits of the value
  bool konst = false;      // the code is one Const instruction
  bool rootIsLast = true;  // the last instruction computes the value (not so for IF, IFERROR)
  bool isE = false;        // the constant e as written, whose powers are EXP: e^x1 is exp(x1)
};

class Parser {
 public:
  // The code of a formula is rarely longer than a quarter of its text (x1+1 is one
  // instruction): reserving that saves the vector's first reallocations.
  Parser(std::string_view src, Program& out, bool optimize)
      : lex_(src, 1), p_(out), opt_(optimize) {
    out.code.reserve(std::min<std::size_t>(src.size() / 4 + 4, 64));
  }

  void Run() {
    Advance();
    if (tok_.kind == Tok::End) throw FormulaRejection{FormulaReject::Empty, 0, 0};
    Frag f = parseComparison();
    if (tok_.kind != Tok::End) {
      RejectAt(tok_.kind == Tok::RParen ? FormulaReject::UnbalancedParen : FormulaReject::Syntax,
               tok_);
    }
    code().push_back(Instr{Op::Return});
    p_.resultType = f.type;
    p_.constant = opt_ && f.konst;
    p_.numeric = opt_ && numericOk_ && (f.type & (kTypeText | kTypeEmpty)) == 0;
    p_.depth = StackDepth(code().data(), code().data() + code().size());
  }

 private:
  // The groups a formula opens: parentheses (of a call too), absolute value bars, and the
  // square roots, which only count towards the depth.
  enum class Group : std::uint8_t { Paren, Bar, Root };
  struct Open {
    Group kind;
    std::size_t pos, end;  // the opening symbol
  };
  // A name as read: its spelling and where it stands.
  struct Name {
    std::string_view spelling;
    std::size_t pos, end;
  };

  [[noreturn]] static void RejectAt(FormulaReject r, std::size_t begin, std::size_t end) {
    throw FormulaRejection{r, begin, end};
  }
  [[noreturn]] static void RejectAt(FormulaReject r, const Token& t) { RejectAt(r, t.pos, t.end); }
  [[noreturn]] static void RejectAt(FormulaReject r, const Open& g) { RejectAt(r, g.pos, g.end); }
  [[noreturn]] static void RejectAt(FormulaReject r, const Name& n) { RejectAt(r, n.pos, n.end); }

  void Advance() {
    prev_ = tok_.kind;
    prevPos_ = tok_.pos;
    prevEnd_ = tok_.end;
    lex_.Next(tok_);
  }

  // ---- grammar ----

  // comparison := concat (('=' | '<>' | '<' | '<=' | '>' | '>=') concat)*
  Frag parseComparison() {
    Frag left = parseConcat();
    for (;;) {
      Op op;
      switch (tok_.kind) {
        case Tok::Eq:
          op = Op::Eq;
          break;
        case Tok::Ne:
          op = Op::Ne;
          break;
        case Tok::Lt:
          op = Op::Lt;
          break;
        case Tok::Le:
          op = Op::Le;
          break;
        case Tok::Gt:
          op = Op::Gt;
          break;
        case Tok::Ge:
          op = Op::Ge;
          break;
        default:
          return left;
      }
      Advance();
      Frag right = parseConcat();
      left = Compare(op, left, right);
    }
  }

  // concat := additive ('&' additive)*
  Frag parseConcat() {
    Frag left = parseAdditive();
    while (tok_.kind == Tok::Amp) {
      Advance();
      Frag right = parseAdditive();
      left = Concat(left, right);
    }
    return left;
  }

  // additive := multiplicative (('+' | '-') multiplicative)*
  Frag parseAdditive() {
    Frag left = parseMultiplicative();
    while (tok_.kind == Tok::Plus || tok_.kind == Tok::Minus) {
      Op op = tok_.kind == Tok::Plus ? Op::Add : Op::Sub;
      Advance();
      Frag right = parseMultiplicative();
      left = Arith(op, left, right);
    }
    return left;
  }

  // multiplicative := unary (('*' | '/') unary | juxtaposed)*
  // juxtaposed := power, where it starts with a name, '(', an opening '|' or '√'
  // An operand written right after another multiplies it, with the precedence and the left
  // associativity of '*': 2x1 is 2*x1, -2x1 is (-2)*x1, 1/2x1 is (1/2)*x1, 2^3x1 is 8*x1.
  // A number right after an operand is no product: "x1 2", "2 3" and "(x1)2" are rejected.
  // After an operand, a '|' closes the innermost open group if that is a bar; anywhere else
  // it opens one: |x1-1|, 2|x1|, |x1|(x1+1), ||x1|-1|.
  Frag parseMultiplicative() {
    Frag left = parseUnary();
    for (;;) {
      switch (tok_.kind) {
        case Tok::Star:
        case Tok::Slash: {
          const Op op = tok_.kind == Tok::Star ? Op::Mul : Op::Div;
          Advance();
          Frag right = parseUnary();
          left = Arith(op, left, right);
          break;
        }
        case Tok::Bar:  // a bar that closes the innermost group ends the operand
          if (opened_ > 0 && Innermost().kind == Group::Bar) return left;
          [[fallthrough]];
        case Tok::Name:
        case Tok::LParen:
        case Tok::Sqrt: {
          Frag right = parsePower();
          left = Arith(Op::Mul, left, right);
          break;
        }
        case Tok::Number:
          RejectAt(FormulaReject::NumberAfterOperand, tok_);
        default:
          return left;
      }
    }
  }

  // unary := ('-' | '+')* power
  // The sign binds looser than '^', as in mathematics: -x^2 is -(x^2), the downward parabola.
  Frag parseUnary() {
    int minus = ReadSigns();
    Frag operand = parsePower();
    return ApplySigns(minus, operand);
  }

  // power := postfix ('^' exponent)*
  // '^' is left-associative, as in the spreadsheet: 2^3^2 is (2^3)^2 = 64.
  Frag parsePower() {
    Frag left = parsePostfix();
    while (tok_.kind == Tok::Caret) {
      Advance();
      Frag right = parseExponent();
      left = Raise(left, right);
    }
    return left;
  }

  // exponent := ('-' | '+')* postfix
  // An exponent may carry its own sign, which applies to its next operand only: 2^-1 is 0.5
  // and 2^-x^2 is (2^-x)^2.
  Frag parseExponent() {
    int minus = ReadSigns();
    Frag operand = parsePostfix();
    return ApplySigns(minus, operand);
  }

  // postfix := primary ('%' | '²' | '³')*
  // x1² is x1^2, binding like '%': 2^x1² is 2^(x1^2), -x1² is -(x1^2).
  Frag parsePostfix() {
    Frag f = parsePrimary();
    for (;;) {
      if (tok_.kind == Tok::Percent) {
        Advance();
        f = Unary(Op::Percent, f);
      } else if (tok_.kind == Tok::Square || tok_.kind == Tok::Cube) {
        const double n = tok_.kind == Tok::Square ? 2 : 3;
        Advance();
        f = Raise(f, EmitConst(Value::Num(n)));
      } else {
        return f;
      }
    }
  }

  // primary := number | text | name | name '(' arguments ')' | '(' comparison ')'
  //          | '|' comparison '|' | '√' unary
  // √ takes the factor after it at the level of '^', with its own sign like an exponent:
  // √x1^2 is √(x1^2), √2x1 is √2*x1, √-x1 is √(-x1).
  Frag parsePrimary() {
    switch (tok_.kind) {
      case Tok::Number: {
        double v = tok_.number;
        Advance();
        return EmitConst(Value::Num(v));
      }
      case Tok::Text: {
        Frag f = EmitConst(Value::Str(tok_.text));
        Advance();
        return f;
      }
      case Tok::Name: {
        const Name name{tok_.name, tok_.pos, tok_.end};
        Advance();
        if (tok_.kind == Tok::LParen) {
          if (const FnInfo* info = FindFunction(name.spelling)) return parseCall(*info, name);
        }
        return EmitName(name);
      }
      case Tok::LParen: {
        Enter(Group::Paren);
        Advance();
        Frag f = parseComparison();
        ExpectClosingParen();
        return f;
      }
      case Tok::Bar: {
        Enter(Group::Bar);
        Advance();
        Frag f = parseComparison();
        if (tok_.kind != Tok::Bar) RejectAt(FormulaReject::UnclosedBar, Innermost());
        Advance();
        Leave();
        return NotationUnary(Op::Abs, f);
      }
      case Tok::Sqrt: {
        Enter(Group::Root);
        Advance();
        Frag f = parseUnary();
        Leave();
        return NotationUnary(Op::Sqrt, f);
      }
      default:
        MissingOperand();
    }
  }

  // arguments := [comparison (',' comparison)*]
  Frag parseCall(const FnInfo& info, const Name& name) {
    Enter(Group::Paren);
    Advance();  // the '('
    std::vector<Frag> args;
    std::size_t jumpIf = 0, jumpElse = 0;
    if (tok_.kind != Tok::RParen) {
      for (;;) {
        args.push_back(parseComparison());
        if (args.size() > static_cast<std::size_t>(kMaxArguments)) {
          RejectAt(FormulaReject::WrongArgumentCount, name);
        }
        // IF and IFERROR evaluate only what they need: their jumps go between the arguments.
        if (info.fn == Fn::If && args.size() == 1) {
          jumpIf = EmitJump(Op::JumpIfFalse);
        } else if (info.fn == Fn::If && args.size() == 2) {
          jumpElse = EmitJump(Op::Jump);
        } else if (info.fn == Fn::IfError && args.size() == 1) {
          jumpIf = EmitJump(Op::JumpIfNotError);
          code().push_back(Instr{Op::Pop});
        }
        if (tok_.kind == Tok::Comma) {
          Advance();
          continue;
        }
        break;
      }
    }
    ExpectClosingParen();

    const int n = static_cast<int>(args.size());
    if (n < info.minArgs || n > info.maxArgs) RejectAt(FormulaReject::WrongArgumentCount, name);

    switch (info.fn) {
      case Fn::Unary:
        return Unary(info.op, args[0]);
      case Fn::Binary:
        return Numeric2(info.op, args[0], args[1]);
      case Fn::Pow:
        return Arith(Op::Pow, args[0], args[1]);
      case Fn::Log:
        return n == 1 ? Unary(Op::Log10, args[0]) : Numeric2(Op::LogBase, args[0], args[1]);
      case Fn::Round:
      case Fn::Trunc:
        if (n == 1) args.push_back(EmitConst(Value::Num(0)));  // no decimals
        return Numeric2(info.op, args[0], args[1]);
      case Fn::Pi:
        return EmitConst(Value::Num(std::numbers::pi));
      case Fn::True:
      case Fn::False:
        return EmitConst(Value::Boolean(info.fn == Fn::True));
      case Fn::Min:
      case Fn::Max:
      case Fn::And:
      case Fn::Or:
        return List(info.fn, info.op, args);
      case Fn::Not:
        return Simple(Op::Not, args[0], kTypeBool);
      case Fn::IsError:
        return Simple(Op::IsError, args[0], kTypeBool);
      case Fn::IsNumber:
        return IsNumber(args[0]);
      case Fn::If:
        return If(args, jumpIf, jumpElse);
      case Fn::IfError:
        return IfError(args, jumpIf);
    }
    return args[0];
  }

  // ---- reading helpers ----

  int ReadSigns() {
    int minus = 0;
    while (tok_.kind == Tok::Minus || tok_.kind == Tok::Plus) {
      if (tok_.kind == Tok::Minus) ++minus;
      Advance();
    }
    return minus;
  }

  // A unary plus changes nothing ("+x"); an odd count of minus signs negates; an even count
  // still makes a number of the operand (--"3" is 3, --TRUE is 1).
  Frag ApplySigns(int minus, Frag f) {
    if (minus % 2 == 1) return Unary(Op::Neg, f);
    if (minus > 0) {
      if (opt_ && !f.konst && f.type == kTypeNumber) return f;
      return Unary(Op::ToNumber, f);
    }
    return f;
  }

  // Opens a group at tok_ (its opening symbol).
  void Enter(Group kind) {
    if (opened_ >= open_.size()) RejectAt(FormulaReject::TooDeep, tok_);
    open_[opened_++] = Open{kind, tok_.pos, tok_.end};
  }
  void Leave() { --opened_; }
  const Open& Innermost() const { return open_[opened_ - 1]; }

  // The ')' of the innermost group, which is a parenthesis.
  void ExpectClosingParen() {
    if (tok_.kind == Tok::RParen) {
      Advance();
      Leave();
      return;
    }
    if (tok_.kind == Tok::End) RejectAt(FormulaReject::UnbalancedParen, Innermost());
    RejectAt(FormulaReject::Syntax, tok_);
  }

  // An operand was expected and tok_ is none. An operator without its operand is named first
  // ("=*2", "=1+", "=(1+)"), then a group the formula leaves open ("=sin(", "=|"), then a
  // stray ")" ("=)"); anything else is out of place ("=()", "=max(1,,2)").
  [[noreturn]] void MissingOperand() {
    if (IsOperatorToken(prev_)) RejectAt(FormulaReject::DanglingOperator, prevPos_, prevEnd_);
    if (IsOperatorToken(tok_.kind)) RejectAt(FormulaReject::DanglingOperator, tok_);
    if (tok_.kind == Tok::End && opened_ > 0) {
      const Open& g = Innermost();
      RejectAt(g.kind == Group::Bar ? FormulaReject::UnclosedBar : FormulaReject::UnbalancedParen,
               g);
    }
    if (tok_.kind == Tok::RParen && opened_ == 0) RejectAt(FormulaReject::UnbalancedParen, tok_);
    RejectAt(FormulaReject::Syntax, tok_);
  }

  // A name that is not called: the variable cell, another cell, a truth value, a constant.
  // The variable and the constants may be followed by "(" (a product: x1(x1+1), e(x1+1));
  // any other name followed by "(" names no function, even one that reads as a cell (sen2(x1)).
  Frag EmitName(const Name& name) {
    const NameKind kind = ClassifyName(name.spelling);
    const bool call = tok_.kind == Tok::LParen;
    if (call && kind != NameKind::VariableCell && kind != NameKind::E && kind != NameKind::Pi) {
      RejectAt(FormulaReject::UnknownName, name);
    }
    switch (kind) {
      case NameKind::VariableCell: {
        std::size_t begin = Here();
        code().push_back(Instr{Op::X});
        return MakeFrag(begin, kTypeNumber);
      }
      case NameKind::EmptyCell:
        return EmitConst(Value::EmptyCell());
      case NameKind::True:
        return EmitConst(Value::Boolean(true));
      case NameKind::False:
        return EmitConst(Value::Boolean(false));
      case NameKind::E: {
        Frag f = EmitConst(Value::Num(std::numbers::e));
        f.isE = true;
        return f;
      }
      case NameKind::Pi:
        return EmitConst(Value::Num(std::numbers::pi));
      case NameKind::Unknown:
        break;
      case NameKind::Malformed:
        RejectAt(FormulaReject::Syntax, name);  // "$A", "A$$1"
    }
    // A function's name without its "(" ("sin x1"), or no name the language knows.
    RejectAt(
        FindFunction(name.spelling) ? FormulaReject::MissingCallParen : FormulaReject::UnknownName,
        name);
  }

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

  // ---- emission ----

  std::vector<Instr>& code() { return p_.code; }
  std::size_t Here() const { return p_.code.size(); }

  Frag MakeFrag(std::size_t begin, std::uint8_t type) {
    Frag f{begin, type, Here() == begin + 1 && p_.code[begin].op == Op::Const, true};
    // Texts and empty cells that are not constants need the general interpreter.
    if (!f.konst && (type & (kTypeText | kTypeEmpty))) numericOk_ = false;
    return f;
  }

  Frag EmitConst(Value v) {
    std::size_t begin = Here();
    Instr in{Op::Const, static_cast<std::int32_t>(p_.pool.size()), 0, NumericImage(v)};
    std::uint8_t type = TypeOf(v);
    p_.pool.push_back(std::move(v));
    code().push_back(in);
    return MakeFrag(begin, type);
  }

  const Value& ConstOf(const Frag& f) const { return p_.pool[p_.code[f.begin].a]; }

  void ReplaceConst(Frag& f, Value v) {
    Instr& in = p_.code[f.begin];
    in.imm = NumericImage(v);
    f.type = TypeOf(v);
    p_.pool[in.a] = std::move(v);
  }

  Frag Emit(Op op, std::size_t begin, std::uint8_t type, std::int32_t a = 0, double imm = 0) {
    code().push_back(Instr{op, a, 0, imm});
    return MakeFrag(begin, type);
  }

  std::size_t EmitJump(Op op) {
    code().push_back(Instr{op});
    return Here() - 1;
  }

  // Runs the code from `begin` (all of it constant) now and keeps its value as one constant.
  Frag Fold(std::size_t begin) {
    const Instr* b = code().data() + begin;
    const Instr* e = code().data() + code().size();
    std::vector<Value> stack(std::max<std::size_t>(1, StackDepth(b, e)));
    RunGeneric(b, e, p_.pool.data(), stack.data(), 0.0);
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
    if (f.konst && ConstOf(f).kind != ValueKind::Number) {
      ReplaceConst(f, NumberValue(NumberOf(ConstOf(f))));
    }
  }

  bool IsSingleX(const Frag& f) const {
    return Here() == f.begin + 1 && p_.code[f.begin].op == Op::X;
  }

  Frag Unary(Op op, Frag a) {
    if (opt_ && IsSingleX(a)) {  // sin(x1) is one instruction
      code().back().op = OfX(op);
      return MakeFrag(a.begin, kTypeNumber);
    }
    Emit(op, a.begin, kTypeNumber);
    if (opt_ && a.konst) return Fold(a.begin);
    return MakeFrag(a.begin, kTypeNumber);
  }

  // Not and IsError: any operand, a truth value out.
  Frag Simple(Op op, Frag a, std::uint8_t type) {
    Emit(op, a.begin, type);
    if (opt_ && a.konst) return Fold(a.begin);
    return MakeFrag(a.begin, type);
  }

  Frag Numeric2(Op op, Frag l, Frag r) {
    if (opt_) {
      CoerceNumber(l);
      CoerceNumber(r);
    }
    Emit(op, l.begin, kTypeNumber);
    if (opt_ && l.konst && r.konst) return Fold(l.begin);
    return MakeFrag(l.begin, kTypeNumber);
  }

  // + - * / ^: a constant operand is fused into the operation (x1+1 is one instruction), as is
  // x1 on the right; x1^2 is a multiplication.
  Frag Arith(Op op, Frag l, Frag r) {
    if (!opt_) return Emit(op, l.begin, kTypeNumber);
    CoerceNumber(l);
    CoerceNumber(r);
    if (l.konst && r.konst) {
      Emit(op, l.begin, kTypeNumber);
      return Fold(l.begin);
    }
    if (r.konst) {
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
    if (l.konst) {
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

  static Op RightConst(Op op) {
    switch (op) {
      case Op::Add:
        return Op::AddK;
      case Op::Sub:
        return Op::SubK;
      case Op::Mul:
        return Op::MulK;
      case Op::Div:
        return Op::DivK;
      default:
        return Op::PowK;
    }
  }
  // With a constant (not an error) on the left, + and * swap their operands exactly.
  static Op LeftConst(Op op) {
    switch (op) {
      case Op::Add:
        return Op::AddK;
      case Op::Sub:
        return Op::RSubK;
      case Op::Mul:
        return Op::MulK;
      case Op::Div:
        return Op::RDivK;
      default:
        return Op::RPowK;
    }
  }
  static Op RightX(Op op) {
    switch (op) {
      case Op::Add:
        return Op::AddX;
      case Op::Sub:
        return Op::SubX;
      case Op::Mul:
        return Op::MulX;
      case Op::Div:
        return Op::DivX;
      default:
        return Op::PowX;
    }
  }

  Frag Compare(Op op, Frag l, Frag r) {
    if (opt_) {
      if (l.konst && r.konst) {
        Emit(op, l.begin, kTypeBool);
        return Fold(l.begin);
      }
      // An empty cell compares as the zero of the other side's kind.
      if (l.konst && ConstOf(l).kind == ValueKind::Empty) EmptyAs(l, r.type);
      if (r.konst && ConstOf(r).kind == ValueKind::Empty) EmptyAs(r, l.type);
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
    if (opt_ && l.konst && r.konst) return Fold(l.begin);
    return MakeFrag(l.begin, kTypeText);
  }

  Frag IsNumber(Frag a) {
    if (opt_ && !a.konst && (a.type & kTypeNumber) == 0) {
      code().resize(a.begin);  // never a number
      return EmitConst(Value::Boolean(false));
    }
    if (opt_ && !a.konst && a.type != kTypeNumber) numericOk_ = false;
    return Simple(Op::IsNumber, a, kTypeBool);
  }

  // MIN, MAX, AND, OR. Empty cells among the arguments are skipped, constant texts are read now.
  Frag List(Fn fn, Op op, std::vector<Frag>& args) {
    const std::size_t begin = args.front().begin;
    int n = static_cast<int>(args.size());
    bool allConst = true;
    if (opt_) {
      for (auto it = args.rbegin(); it != args.rend(); ++it) {
        if (!it->konst) {
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
    if (opt_ && allConst) return Fold(begin);
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
    if (opt_ && cond.konst) {  // only the branch taken is kept
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
    if (opt_ && value.konst) {
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

  Lexer lex_;
  Token tok_;
  Tok prev_ = Tok::End;  // the token before tok_, and where it stands
  std::size_t prevPos_ = 0, prevEnd_ = 0;
  Program& p_;
  const bool opt_;
  bool numericOk_ = true;
  // The groups open at tok_, the innermost last: open_[0 .. opened_).
  std::array<Open, kMaxFormulaDepth> open_;
  std::size_t opened_ = 0;
};

}  // namespace

FormulaReject CompileProgram(std::string_view formula, Program& out, const CompileOptions& options,
                             FormulaRejection* where) {
  out = Program{};
  FormulaRejection rejection;
  if (formula.size() > kMaxFormulaLength) {
    rejection.reason = FormulaReject::TooLong;
  } else if (formula.empty() || formula.front() != '=') {
    rejection.reason = FormulaReject::Empty;
  } else {
    try {
      Parser parser(formula, out, options.optimize);
      parser.Run();
    } catch (const FormulaRejection& r) {
      out = Program{};
      rejection = r;
    }
  }
  if (where) *where = rejection;
  return rejection.reason;
}

FormulaReject EvaluateReference(std::string_view formula, double x, Value& out) {
  Program p;
  FormulaReject r = CompileProgram(formula, p, CompileOptions{.optimize = false});
  if (r != FormulaReject::None) return r;
  std::vector<Value> stack(std::max<std::size_t>(1, p.depth));
  RunGeneric(p.code.data(), p.code.data() + p.code.size(), p.pool.data(), stack.data(), x);
  out = std::move(stack[0]);
  FinishResult(out);
  return FormulaReject::None;
}

}  // namespace curvalis::formula
