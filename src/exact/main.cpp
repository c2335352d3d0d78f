// curvalis-exact: the exact engine's helper program around the computer algebra system Giac.
// It reads one request per line on its standard input and writes one answer per line on its
// standard output (exact_protocol/protocol.h, namespace channel). Giac prints warnings and progress
// of its own; the answers go to a copy of the original standard output and file descriptor 1 itself
// is pointed at /dev/null, so nothing but answers reaches the channel.
//
// Every expression arrives as a tree and is checked node by node before the CAS sees it.
//
// Every computation runs under a time bound of the helper's own (the CAS's interrupt flag,
// raised by a watchdog thread), well inside the caller's limit: a request answers, or says it
// could not, rather than run until the caller kills the helper. A derivative is answered as
// soon as it is computed; its simplified forms are tried under a shorter bound, and when one
// of them runs out the plain derivative is among the candidates. The error texts are our own:
// what the CAS says when it fails never leaves the helper.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <giac/config.h>
#include <giac/giac.h>

#include "exact_protocol/protocol.h"

namespace {

using curvalis::study::JsonObject;
using curvalis::study::Node;
using namespace curvalis::study::channel;

constexpr std::size_t kMaxLine = 1 << 20;

// The bounds: one question's main computation, and all the simplified forms of one answer.
constexpr std::chrono::milliseconds kWorkBound{2000};
constexpr std::chrono::milliseconds kSimplifyBound{800};

// A refusal of ours, whose text is the answer's error.
struct Refusal : std::runtime_error {
  using std::runtime_error::runtime_error;
};

constexpr const char* kOutOfTime = "tempo scaduto";
constexpr const char* kNoAnswer = "il motore di calcolo non ha trovato la risposta";

// Raises the CAS's interrupt flag when a deadline passes; the CAS then throws out of whatever
// it computes at its next check.
class Watchdog {
 public:
  Watchdog() : thread_([this] { Run(); }) {}
  ~Watchdog() {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  void Arm(std::chrono::steady_clock::time_point deadline) {
    std::lock_guard lock(mutex_);
    deadline_ = deadline;
    armed_ = true;
    fired_ = false;
    giac::ctrl_c = false;
    giac::interrupted = false;
    wake_.notify_all();
  }

  // Ends the bound; true when it ran out. The flags are down again afterwards.
  bool Disarm() {
    std::lock_guard lock(mutex_);
    armed_ = false;
    const bool fired = fired_;
    fired_ = false;
    giac::ctrl_c = false;
    giac::interrupted = false;
    return fired;
  }

 private:
  void Run() {
    std::unique_lock lock(mutex_);
    while (!quit_) {
      if (!armed_) {
        wake_.wait(lock);
      } else if (wake_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ &&
                 std::chrono::steady_clock::now() >= deadline_) {
        fired_ = true;
        armed_ = false;
        giac::ctrl_c = true;
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::chrono::steady_clock::time_point deadline_;
  bool armed_ = false, fired_ = false, quit_ = false;
  std::thread thread_;
};

// The CAS's input for a checked tree, fully parenthesised.
std::string ToGiac(const Node& n) {
  switch (n.kind) {
    case Node::Kind::Number:
      return "(" + n.text + ")";
    case Node::Kind::X:
      return "x";
    case Node::Kind::Pi:
      return "pi";
    case Node::Kind::PlusInf:
      return "(+infinity)";
    case Node::Kind::MinusInf:
      return "(-infinity)";
    case Node::Kind::Approx:
      return "(" + n.text + ")";
    case Node::Kind::Undef:
    case Node::Kind::True:
    case Node::Kind::False:
      return "undef";
    case Node::Kind::Op:
      break;
  }
  const curvalis::study::Operation* row = curvalis::study::FindOperation(n.text);
  const std::string cas(row ? row->cas : n.text);
  std::string out = "(";
  if (n.text == "inv") {
    out += "1/" + ToGiac(n.args[0]);
  } else if (row && row->arity != 1) {
    for (std::size_t i = 0; i < n.args.size(); ++i) {
      if (i) out += cas;
      out += ToGiac(n.args[i]);
    }
  } else if (n.text == "neg") {
    out += cas + ToGiac(n.args[0]);
  } else {
    out += cas + "(" + ToGiac(n.args[0]) + ")";
  }
  return out + ")";
}

class Cas {
 public:
  // Giac's messages (warnings, the methods it tries) go nowhere: the program has no use for
  // them (and it points the helper's standard error at /dev/null as well).
  Cas() { giac::logptr(&quiet_, &ctx_); }

  // Evaluates under the bound in force (Within); a CAS that fails throws.
  giac::gen Eval(const std::string& command) {
    giac::gen g(command, &ctx_);
    giac::gen r = giac::eval(g, 1, &ctx_);
    if (giac::ctrl_c || giac::interrupted) throw Refusal(kOutOfTime);
    return r;
  }

  // Runs `work` until `deadline`. Our own refusals pass through; the CAS running out of time
  // or failing becomes one of ours.
  template <class Work>
  void Within(std::chrono::steady_clock::time_point deadline, Work&& work) {
    watchdog_.Arm(deadline);
    try {
      work();
    } catch (const Refusal&) {
      const bool late = watchdog_.Disarm();
      if (late) throw Refusal(kOutOfTime);
      throw;
    } catch (...) {
      throw Refusal(watchdog_.Disarm() ? kOutOfTime : kNoAnswer);
    }
    if (watchdog_.Disarm()) throw Refusal(kOutOfTime);
  }

  std::string Print(const giac::gen& g) { return g.print(&ctx_); }

  // The tree of an answer; nullopt for what the tree cannot hold (complex numbers, functions
  // outside the elementary ones that depend on x). A constant the tree cannot hold (a root
  // object) becomes its decimal value, marked approximate.
  std::optional<Node> FromGiac(const giac::gen& g, bool conditions, int depth = 0) {
    using giac::gen;
    if (depth > curvalis::study::kMaxTreeDepth) return std::nullopt;
    switch (g.type) {
      case giac::_INT_:
        return Node::Num(std::to_string(g.val));
      case giac::_ZINT:
        return Node::Num(Print(g));
      case giac::_FRAC: {
        gen num = g._FRACptr->num, den = g._FRACptr->den;
        if (!giac::is_integer(num) || !giac::is_integer(den)) return Approximate(g);
        if (giac::is_positive(-den, &ctx_)) {
          num = -num;
          den = -den;
        }
        return Node::Num(Print(num) + "/" + Print(den));
      }
      case giac::_DOUBLE_:
        return Decimal(g._DOUBLE_val);
      case giac::_IDNT: {
        const std::string name = Print(g);
        if (name == "x") return Node::Var();
        if (name == "pi") return Node{Node::Kind::Pi, "pi", {}};
        if (name == "infinity" || name == "undef") return Node{Node::Kind::Undef, "undef", {}};
        return std::nullopt;
      }
      case giac::_SYMB:
        return FromSymbolic(g, conditions, depth);
      default:
        return Approximate(g);
    }
  }

  // The arguments of a symbolic node.
  static std::vector<giac::gen> Args(const giac::gen& g) {
    const giac::gen& f = g._SYMBptr->feuille;
    if (f.type == giac::_VECT)
      return std::vector<giac::gen>(f._VECTptr->begin(), f._VECTptr->end());
    return {f};
  }

 private:
  static Node Decimal(double v) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.17g", v);
    return Node{Node::Kind::Approx, buf, {}};
  }

  std::optional<Node> Approximate(const giac::gen& g) {
    if (!giac::lidnt(g).empty()) return std::nullopt;
    giac::gen v = giac::evalf(g, 1, &ctx_);
    if (v.type != giac::_DOUBLE_) return std::nullopt;
    return Decimal(v._DOUBLE_val);
  }

  std::optional<Node> FromSymbolic(const giac::gen& g, bool conditions, int depth) {
    const std::string name = g._SYMBptr->sommet.ptr()->s;
    std::vector<giac::gen> args = Args(g);
    if (args.size() == 1 && args[0].type == giac::_IDNT && Print(args[0]) == "infinity") {
      if (name == "+") return Node{Node::Kind::PlusInf, "+inf", {}};
      if (name == "-") return Node{Node::Kind::MinusInf, "-inf", {}};
    }
    // Giac's "-" of one argument is the tree's neg; its "==" is the condition's "=".
    const curvalis::study::Operation* row = curvalis::study::FindCasOperation(name);
    if (row && row->arity == 1 && args.size() != 1) return std::nullopt;
    std::string op = row ? std::string(row->name) : name == "==" ? "=" : name;
    const bool known =
        curvalis::study::IsExpressionOp(op) || (conditions && curvalis::study::IsConditionOp(op));
    if (!known) return Approximate(g);
    Node n = Node::Of(op, {});
    for (const giac::gen& a : args) {
      std::optional<Node> t = FromGiac(a, conditions, depth + 1);
      if (!t) return std::nullopt;
      n.args.push_back(std::move(*t));
    }
    // Check the arity the way the other side will.
    if (!curvalis::study::ParseTree(curvalis::study::TreeText(n), conditions)) return std::nullopt;
    return n;
  }

  std::ostream quiet_{nullptr};
  giac::context ctx_;
  Watchdog watchdog_;
};

// One more candidate, unless it is none or one already.
void AddCandidate(const std::optional<Node>& t, std::vector<std::string>& out) {
  if (!t) return;
  std::string s = curvalis::study::TreeText(*t);
  if (std::find(out.begin(), out.end(), s) == out.end()) out.push_back(std::move(s));
}

// The simplified forms of e, each tried until `deadline`; `complete` is false when one of them
// could not be had.
std::vector<std::string> Candidates(Cas& cas, const std::string& e,
                                    std::chrono::steady_clock::time_point deadline,
                                    bool& complete) {
  std::vector<std::string> out;
  complete = true;
  auto attempt = [&](auto&& work) {
    try {
      cas.Within(deadline, work);
    } catch (const Refusal&) {
      complete = false;
    }
  };
  giac::gen normal;
  bool haveNormal = false;
  attempt([&] {
    normal = cas.Eval("normal(" + e + ")");
    haveNormal = true;
    AddCandidate(cas.FromGiac(normal, false), out);
  });
  attempt([&] { AddCandidate(cas.FromGiac(cas.Eval("factor(" + e + ")"), false), out); });
  attempt([&] { AddCandidate(cas.FromGiac(cas.Eval("simplify(" + e + ")"), false), out); });
  if (!haveNormal) return out;
  const std::string ns = "(" + cas.Print(normal) + ")";
  std::optional<Node> tn;
  attempt([&] { tn = cas.FromGiac(cas.Eval("numer(" + ns + ")"), false); });
  // A numerator and a denominator in their own shortest forms: the factored denominator of a
  // normal form ((x^2-4*x+1)/(x-2)^2) is what a student writes. The denominator factored, and
  // as powers of square-free factors ((x^2-1)^2).
  for (const char* form : {"factor", "sqrfree"}) {
    std::optional<Node> td;
    attempt([&] { td = cas.FromGiac(cas.Eval(std::string(form) + "(denom(" + ns + "))"), false); });
    if (!tn || !td || (td->kind == Node::Kind::Number && td->text == "1")) continue;
    AddCandidate(Node::Of("*", {*tn, Node::Of("inv", {*td})}), out);
  }
  return out;
}

// The candidates for the derivative of e of the given order, computed until `until`.
std::vector<std::string> Derivatives(Cas& cas, const std::string& e, long long order,
                                     std::chrono::steady_clock::time_point until) {
  giac::gen d;
  std::string plain;
  cas.Within(until, [&] {
    d = cas.Eval("diff(" + e + ",x," + std::to_string(order) + ")");
    plain = "(" + cas.Print(d) + ")";
  });
  bool complete = true;
  std::vector<std::string> r =
      Candidates(cas, plain, std::chrono::steady_clock::now() + kSimplifyBound, complete);
  // The derivative as computed, when its simplified forms could not all be had.
  if (!complete) AddCandidate(cas.FromGiac(d, false), r);
  return r;
}

// The condition of the domain of e, as Giac gives it: a list of alternatives, x itself (no
// condition) or one condition.
Node DomainCondition(Cas& cas, const std::string& e, std::chrono::steady_clock::time_point until) {
  giac::gen d;
  cas.Within(until, [&] { d = cas.Eval("domain(" + e + ",x)"); });
  Node c;
  if (d.type == giac::_VECT) {
    c = Node::Of("or", {});
    for (const giac::gen& g : *d._VECTptr) {
      std::optional<Node> t = cas.FromGiac(g, true);
      if (!t) throw Refusal("dominio non rappresentabile");
      c.args.push_back(std::move(*t));
    }
    if (c.args.empty()) c = Node{Node::Kind::False, "false", {}};
  } else if (d.type == giac::_IDNT && cas.Print(d) == "x") {
    c = Node{Node::Kind::True, "true", {}};
  } else {
    std::optional<Node> t = cas.FromGiac(d, true);
    if (!t) throw Refusal("dominio non rappresentabile");
    c = std::move(*t);
  }
  return c;
}

JsonObject Answer(Cas& cas, const JsonObject& req) {
  using curvalis::study::JList;
  JsonObject ans;
  auto field = [&](const char* key) -> const curvalis::study::JsonValue* {
    auto it = req.find(key);
    return it == req.end() ? nullptr : &it->second;
  };
  auto tree = [&](const char* key) -> std::optional<std::string> {
    const auto* v = field(key);
    if (!v || v->kind != curvalis::study::JsonValue::Kind::String) return std::nullopt;
    std::optional<Node> n = curvalis::study::ParseTree(v->s);
    if (!n) return std::nullopt;
    return ToGiac(*n);
  };
  const auto* opv = field(kOp);
  if (!opv || opv->kind != curvalis::study::JsonValue::Kind::String) {
    throw Refusal("richiesta senza operazione");
  }
  const std::string op = opv->s;
  if (op == kPing) {
    ans[kResult] = JList({});
    return ans;
  }
  std::optional<std::string> e = tree(kExpr);
  if (!e) throw Refusal("espressione non valida");
  cas.Eval("purge(x)");
  std::vector<std::string> r;
  const auto now = std::chrono::steady_clock::now();
  const auto workDeadline = now + kWorkBound;
  if (op == kSimp) {
    bool complete = true;
    r = Candidates(cas, *e, now + kSimplifyBound, complete);
    // The expression as it came is a form of itself.
    if (!complete) r.push_back(field(kExpr)->s);
  } else if (op == kDiff) {
    const auto* n = field(kOrder);
    const long long order = n && n->kind == curvalis::study::JsonValue::Kind::Number ? n->n : 1;
    if (order < 1 || order > 4) throw Refusal("ordine non valido");
    r = Derivatives(cas, *e, order, workDeadline);
  } else if (op == kSolve) {
    giac::gen s;
    cas.Within(workDeadline, [&] { s = cas.Eval("solve((" + *e + ")=0,x)"); });
    if (s.type != giac::_VECT) throw Refusal("nessuna soluzione");
    for (const giac::gen& g : *s._VECTptr) {
      std::optional<Node> t = cas.FromGiac(g, false);
      if (t) r.push_back(curvalis::study::TreeText(*t));
    }
  } else if (op == kLimit) {
    std::optional<std::string> at = tree(kAt);
    const auto* dir = field(kDir);
    if (!at || !dir || dir->kind != curvalis::study::JsonValue::Kind::Number || dir->n < -1 ||
        dir->n > 1) {
      throw Refusal("limite non valido");
    }
    giac::gen l;
    cas.Within(workDeadline, [&] {
      l = cas.Eval("limit(" + *e + ",x," + *at + "," + std::to_string(dir->n) + ")");
    });
    if (l.type == giac::_SYMB && std::string(l._SYMBptr->sommet.ptr()->s) == "bounded_function") {
      ans[kNone] = curvalis::study::JBool(true);  // oscillates: there is no limit
    } else {
      std::optional<Node> t = cas.FromGiac(l, false);
      if (!t || t->kind == Node::Kind::Undef) throw Refusal("limite non trovato");
      r.push_back(curvalis::study::TreeText(*t));
    }
  } else if (op == kDomain) {
    r.push_back(curvalis::study::TreeText(DomainCondition(cas, *e, workDeadline)));
  } else if (op == kPeriod) {
    giac::gen p;
    cas.Within(workDeadline, [&] { p = cas.Eval("simplify(period(" + *e + ",x))"); });
    std::optional<Node> t = cas.FromGiac(p, false);
    if (!t) throw Refusal("periodo non trovato");
    r.push_back(curvalis::study::TreeText(*t));
  } else {
    throw Refusal("operazione sconosciuta");
  }
  cas.Eval("purge(x)");
  ans[kResult] = JList(std::move(r));
  return ans;
}

}  // namespace

int main() {
  // The answers' own descriptor; fd 1 (std::cout, printf) goes to /dev/null from here on.
  const int channel = dup(STDOUT_FILENO);
  const int null = open("/dev/null", O_WRONLY);
  if (channel < 0 || null < 0 || dup2(null, STDOUT_FILENO) < 0) return 2;
  close(null);
  std::FILE* out = fdopen(channel, "w");
  if (!out) return 2;

  Cas cas;
  std::string line;
  while (std::getline(std::cin, line)) {
    JsonObject ans;
    long long id = 0;
    if (line.size() > kMaxLine) {
      ans[kError] = curvalis::study::JStr("richiesta troppo lunga");
    } else if (std::optional<JsonObject> req = curvalis::study::ParseJsonLine(line); !req) {
      ans[kError] = curvalis::study::JStr("richiesta non valida");
    } else {
      auto it = req->find(kId);
      if (it != req->end() && it->second.kind == curvalis::study::JsonValue::Kind::Number) {
        id = it->second.n;
      }
      try {
        ans = Answer(cas, *req);
      } catch (const Refusal& ex) {
        ans.clear();
        ans[kError] = curvalis::study::JStr(ex.what());
      } catch (...) {
        // What the CAS says when it fails is not for the student.
        ans.clear();
        ans[kError] = curvalis::study::JStr(kNoAnswer);
      }
    }
    ans[kId] = curvalis::study::JNum(id);
    ans[kOk] = curvalis::study::JBool(ans.find(kError) == ans.end());
    const std::string text = curvalis::study::JsonLine(ans);
    std::fputs(text.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
  }
  return 0;
}
