// The grammar of the formula language. The parser reads the formula once, by recursive descent,
// and writes the program as it goes: each parse function hands what it read to the emitter
// (formula_emitter.h), which returns its stack code as a fragment and folds constant fragments
// as soon as they are combined, so the program keeps only the work that depends on x1. The
// names of the functions and the cells are in formula_names.cpp.
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
#include <iterator>
#include <numbers>
#include <utility>
#include <vector>

#include "core/formula_emitter.h"
#include "core/formula_lexer.h"
#include "core/formula_names.h"
#include "core/formula_program.h"

namespace curvalis::formula {
namespace {

class Parser {
 public:
  // The code of a formula is rarely longer than a quarter of its text (x1+1 is one
  // instruction): reserving that saves the vector's first reallocations.
  Parser(std::string_view src, Program& out, bool optimize) : lex_(src, 1), emit_(out, optimize) {
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
    emit_.Finish(f);
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
    static constexpr std::pair<Tok, Op> kComparisons[] = {{Tok::Eq, Op::Eq}, {Tok::Ne, Op::Ne},
                                                          {Tok::Lt, Op::Lt}, {Tok::Le, Op::Le},
                                                          {Tok::Gt, Op::Gt}, {Tok::Ge, Op::Ge}};
    for (;;) {
      const auto* c = std::find_if(std::begin(kComparisons), std::end(kComparisons),
                                   [&](const auto& k) { return k.first == tok_.kind; });
      if (c == std::end(kComparisons)) return left;
      const Op op = c->second;
      Advance();
      Frag right = parseConcat();
      left = emit_.Compare(op, left, right);
    }
  }

  // concat := additive ('&' additive)*
  Frag parseConcat() {
    Frag left = parseAdditive();
    while (tok_.kind == Tok::Amp) {
      Advance();
      Frag right = parseAdditive();
      left = emit_.Concat(left, right);
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
      left = emit_.Arith(op, left, right);
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
          left = emit_.Arith(op, left, right);
          break;
        }
        case Tok::Bar:  // a bar that closes the innermost group ends the operand
          if (opened_ > 0 && Innermost().kind == Group::Bar) return left;
          [[fallthrough]];
        case Tok::Name:
        case Tok::LParen:
        case Tok::Sqrt: {
          Frag right = parsePower();
          left = emit_.Arith(Op::Mul, left, right);
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
    return emit_.ApplySigns(minus, operand);
  }

  // power := postfix ('^' exponent)*
  // '^' is left-associative, as in the spreadsheet: 2^3^2 is (2^3)^2 = 64.
  Frag parsePower() {
    Frag left = parsePostfix();
    while (tok_.kind == Tok::Caret) {
      Advance();
      Frag right = parseExponent();
      left = emit_.Raise(left, right);
    }
    return left;
  }

  // exponent := ('-' | '+')* postfix
  // An exponent may carry its own sign, which applies to its next operand only: 2^-1 is 0.5
  // and 2^-x^2 is (2^-x)^2.
  Frag parseExponent() {
    int minus = ReadSigns();
    Frag operand = parsePostfix();
    return emit_.ApplySigns(minus, operand);
  }

  // postfix := primary ('%' | '²' | '³')*
  // x1² is x1^2, binding like '%': 2^x1² is 2^(x1^2), -x1² is -(x1^2).
  Frag parsePostfix() {
    Frag f = parsePrimary();
    for (;;) {
      if (tok_.kind == Tok::Percent) {
        Advance();
        f = emit_.Unary(Op::Percent, f);
      } else if (tok_.kind == Tok::Square || tok_.kind == Tok::Cube) {
        const double n = tok_.kind == Tok::Square ? 2 : 3;
        Advance();
        f = emit_.Raise(f, emit_.EmitConst(Value::Num(n)));
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
        return emit_.EmitConst(Value::Num(v));
      }
      case Tok::Text: {
        Frag f = emit_.EmitConst(Value::Str(tok_.text));
        Advance();
        return f;
      }
      case Tok::Name: {
        const Name name{tok_.name, tok_.pos, tok_.end};
        Advance();
        if (tok_.kind == Tok::LParen) {
          if (const FnInfo* info = FindFunction(name.spelling)) return parseCall(*info, name);
        }
        if (tok_.kind == Tok::Bar) {
          const FnInfo* info = FindFunction(name.spelling);
          if (info && info->minArgs <= 1 && info->maxArgs >= 1) return parseBarCall(*info, name);
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
        return emit_.NotationUnary(Op::Abs, f);
      }
      case Tok::Sqrt: {
        Enter(Group::Root);
        Advance();
        Frag f = parseUnary();
        Leave();
        return emit_.NotationUnary(Op::Sqrt, f);
      }
      default:
        MissingOperand();
    }
  }

  // barcall := name '|' comparison '|'
  // A function of one argument written before an opening bar takes the bar group as that
  // argument, as √ does: ln|x1| is ln(abs(x1)), sen|x1| is sin(abs(x1)); 2ln|x1-1|, |ln|x1||
  // and ln|x1|+|x1-1| read as written. A power, square, cube or percent sign right after
  // the group could belong to the group or to the function (ln|x1|^2: ln(abs(x1)^2) or
  // ln(abs(x1))^2?): the name is then refused for the parenthesis it needs.
  Frag parseBarCall(const FnInfo& info, const Name& name) {
    Frag group = parsePrimary();  // the bar group, tok_ being its opening bar
    if (tok_.kind == Tok::Caret || tok_.kind == Tok::Square || tok_.kind == Tok::Cube ||
        tok_.kind == Tok::Percent) {
      RejectAt(FormulaReject::MissingCallParen, name);
    }
    return ApplyCall(info, name, {group}, 0, 0);
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
          jumpIf = emit_.EmitJump(Op::JumpIfFalse);
        } else if (info.fn == Fn::If && args.size() == 2) {
          jumpElse = emit_.EmitJump(Op::Jump);
        } else if (info.fn == Fn::IfError && args.size() == 1) {
          jumpIf = emit_.EmitJump(Op::JumpIfNotError);
          emit_.EmitPop();
        }
        if (tok_.kind == Tok::Comma) {
          Advance();
          continue;
        }
        break;
      }
    }
    ExpectClosingParen();
    return ApplyCall(info, name, std::move(args), jumpIf, jumpElse);
  }

  // The code of a call whose arguments have been read.
  Frag ApplyCall(const FnInfo& info, const Name& name, std::vector<Frag> args, std::size_t jumpIf,
                 std::size_t jumpElse) {
    const int n = static_cast<int>(args.size());
    if (n < info.minArgs || n > info.maxArgs) RejectAt(FormulaReject::WrongArgumentCount, name);

    switch (info.fn) {
      case Fn::Unary:
        return emit_.Unary(info.op, args[0]);
      case Fn::Binary:
        return emit_.Numeric2(info.op, args[0], args[1]);
      case Fn::Pow:
        return emit_.Arith(Op::Pow, args[0], args[1]);
      case Fn::Log:
        return n == 1 ? emit_.Unary(Op::Log10, args[0])
                      : emit_.Numeric2(Op::LogBase, args[0], args[1]);
      case Fn::Round:
      case Fn::Trunc:
        if (n == 1) args.push_back(emit_.EmitConst(Value::Num(0)));  // no decimals
        return emit_.Numeric2(info.op, args[0], args[1]);
      case Fn::Pi:
        return emit_.EmitConst(Value::Num(std::numbers::pi));
      case Fn::True:
      case Fn::False:
        return emit_.EmitConst(Value::Boolean(info.fn == Fn::True));
      case Fn::Min:
      case Fn::Max:
      case Fn::And:
      case Fn::Or:
        return emit_.List(info.fn, info.op, args);
      case Fn::Not:
        return emit_.Simple(Op::Not, args[0], kTypeBool);
      case Fn::IsError:
        return emit_.Simple(Op::IsError, args[0], kTypeBool);
      case Fn::IsNumber:
        return emit_.IsNumber(args[0]);
      case Fn::If:
        return emit_.If(args, jumpIf, jumpElse);
      case Fn::IfError:
        return emit_.IfError(args, jumpIf);
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
      case NameKind::VariableCell:
        return emit_.EmitX();
      case NameKind::EmptyCell:
        return emit_.EmitConst(Value::EmptyCell());
      case NameKind::True:
        return emit_.EmitConst(Value::Boolean(true));
      case NameKind::False:
        return emit_.EmitConst(Value::Boolean(false));
      case NameKind::E: {
        Frag f = emit_.EmitConst(Value::Num(std::numbers::e));
        f.isE = true;
        return f;
      }
      case NameKind::Pi:
        return emit_.EmitConst(Value::Num(std::numbers::pi));
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

  Lexer lex_;
  Token tok_;
  Tok prev_ = Tok::End;  // the token before tok_, and where it stands
  std::size_t prevPos_ = 0, prevEnd_ = 0;
  ProgramEmitter emit_;
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
