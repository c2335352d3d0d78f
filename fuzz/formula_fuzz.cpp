// Compiles any input as a formula and evaluates what compiles.
// The input is the formula; when it holds a NUL byte, the text before it is the formula and
// the (up to) 8 bytes after it are one more abscissa, any bit pattern: NaN, an infinity, a
// subnormal. A formula with a NUL byte in it is always rejected, so nothing is lost.
// Properties:
// - compiling and evaluating never throw or crash; a rejection has a reason, names a part of
//   the formula, and leaves no program;
// - a compiled formula evaluates at every x, gives the same value twice and after other
//   samples, and gives what the unoptimised reference evaluation gives (bit for bit);
// - a number that comes out is finite and never a negative zero; EvaluateNumber agrees;
// - evaluating all the abscissas at once (EvaluateMany, numbers and values) gives what one
//   sample at a time gives, element by element, error kinds included, and allocates nothing
//   for a formula without text;
// - a formula without text literals and without "&" evaluates without allocating, any other
//   allocates at most a bounded amount per sample, linear in its length;
// - one sample takes a bounded time (the language has no loops): measured as the thread's CPU
//   time, so a busy machine does not change it, with a margin of hundreds against the
//   slowest formula the length limit lets through.
#include <sanitizer/allocator_interface.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <limits>
#include <string_view>

#include "core/formula.h"
#include "core/formula_program.h"

namespace {

std::size_t gAllocated = 0;  // bytes handed out by malloc and operator new since the reset
std::size_t gAllocations = 0;

void OnMalloc(const volatile void*, std::size_t size) {
  gAllocated += size;
  ++gAllocations;
}
void OnFree(const volatile void*) {}

[[noreturn]] void Fail(const char* what, std::string_view formula, double x) {
  std::fprintf(stderr, "formula_fuzz: %s (x = %.17g, formula of %zu bytes)\n", what, x,
               formula.size());
  std::abort();
}

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

bool SameNumber(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool Identical(const curvalis::Value& a, const curvalis::Value& b) {
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case curvalis::ValueKind::Error:
      return a.error == b.error;
    case curvalis::ValueKind::Text:
      return a.text == b.text;
    case curvalis::ValueKind::Number:
    case curvalis::ValueKind::Bool:
      return SameNumber(a.number, b.number);
    case curvalis::ValueKind::Empty:
      return true;
  }
  return false;
}

// One sample may take this much CPU time; the longest formulas take well under a millisecond,
// even with the sanitizers.
constexpr double kSampleSeconds = 0.05;

void CheckAt(curvalis::CompiledFormula& f, std::string_view text, double x, bool textFree) {
  curvalis::Value reference;
  if (curvalis::formula::EvaluateReference(text, x, reference) != curvalis::FormulaReject::None) {
    Fail("the reference rejects what compiled", text, x);
  }
  // Bytes a sample may allocate: the texts it builds are at most some 24 characters per
  // character of the formula (a number joined as text), held in a few growing strings.
  const std::size_t allowance = 256 * text.size() + 4096;
  gAllocated = gAllocations = 0;
  const double start = ThreadSeconds();
  const curvalis::Value a = f.Evaluate(x);
  const double n = f.EvaluateNumber(x);
  const double took = ThreadSeconds() - start;
  if (textFree && gAllocations != 0) Fail("a formula without texts allocated", text, x);
  if (gAllocated > allowance) Fail("one sample allocated too much", text, x);
  if (took > kSampleSeconds) Fail("one sample took too long", text, x);

  if (!Identical(a, reference)) Fail("the value differs from the reference", text, x);
  if (!Identical(f.Evaluate(x), a)) Fail("the value changed on the second evaluation", text, x);
  if (a.kind == curvalis::ValueKind::Number) {
    if (!std::isfinite(a.number)) Fail("a number that is not finite", text, x);
    if (a.number == 0 && std::signbit(a.number)) Fail("a negative zero", text, x);
  }
  if (!SameNumber(n, curvalis::NumberOrNaN(a))) Fail("EvaluateNumber disagrees", text, x);
}

// All of xs at once, then each again one at a time.
void CheckMany(curvalis::CompiledFormula& f, std::string_view text, const double* xs, std::size_t n,
               bool textFree) {
  constexpr std::size_t kMost = 16;
  if (n > kMost) Fail("too many abscissas for the batch check", text, 0);
  double numbers[kMost];
  curvalis::Value values[kMost];
  gAllocations = 0;
  f.EvaluateMany(xs, numbers, n);
  f.EvaluateMany(xs, values, n);
  if (textFree && gAllocations != 0) Fail("a batch without texts allocated", text, xs[0]);
  for (std::size_t i = 0; i < n; ++i) {
    if (std::bit_cast<std::uint64_t>(numbers[i]) !=
        std::bit_cast<std::uint64_t>(f.EvaluateNumber(xs[i]))) {
      Fail("the batch's number differs from one sample's", text, xs[i]);
    }
    if (!Identical(values[i], f.Evaluate(xs[i]))) {
      Fail("the batch's value differs from one sample's", text, xs[i]);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  if (__sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) == 0) {
    std::fprintf(stderr, "formula_fuzz: cannot count allocations\n");
    std::abort();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::size_t nul = input.find('\0');
  const std::string_view text = input.substr(0, nul);
  double fuzzedX = std::numeric_limits<double>::quiet_NaN();
  if (nul != std::string_view::npos) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, data + nul + 1, std::min<std::size_t>(8, size - nul - 1));
    fuzzedX = std::bit_cast<double>(bits);
  }
  try {
    curvalis::CompiledFormula f;
    if (nul != std::string_view::npos && f.Compile(input) == curvalis::FormulaReject::None) {
      Fail("a formula with a NUL byte compiled", input, 0);
    }
    const curvalis::FormulaReject reason = f.Compile(text);
    if (reason != curvalis::FormulaReject::None) {
      if (f.IsCompiled()) Fail("a rejected formula left a program", text, 0);
      if (curvalis::RejectText(reason).empty()) Fail("a rejection without a reason", text, 0);
      const curvalis::FormulaRejection& r = f.rejection();
      if (r.reason != reason) Fail("the rejection tells another reason", text, 0);
      if (r.begin > r.end || r.end > text.size()) Fail("a rejection outside the formula", text, 0);
      return 0;
    }
    if (!f.IsCompiled()) Fail("an accepted formula has no program", text, 0);
    const bool textFree =
        text.find('"') == std::string_view::npos && text.find('&') == std::string_view::npos;
    const double xs[] = {0,
                         -0.0,
                         1,
                         -1,
                         0.5,
                         -3.2,
                         1e9,
                         -1e9,
                         1e300,
                         5e-324,
                         std::numeric_limits<double>::max(),
                         std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(),
                         std::numeric_limits<double>::quiet_NaN(),
                         fuzzedX};
    for (double x : xs) CheckAt(f, text, x, textFree);
    // Nothing carries over from one sample to the next.
    for (double x : xs) CheckAt(f, text, x, textFree);
    CheckMany(f, text, xs, std::size(xs), textFree);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "formula_fuzz: threw %s\n", e.what());
    std::abort();
  } catch (...) {
    std::fprintf(stderr, "formula_fuzz: threw something\n");
    std::abort();
  }
  return 0;
}
