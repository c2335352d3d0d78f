// The batch interpreter of a numeric program: each instruction runs once over a chunk of
// samples, on a stack of arrays, so the dispatch is paid once per chunk instead of once per
// sample. Every element goes through the same kernels as the one-at-a-time interpreter
// (formula_kernels.h), so the results are the same bit for bit, error values included.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>
#include <numbers>
#include <utility>

#include "core/formula_kernels.h"
#include "core/formula_program.h"

namespace curvalis::formula {
namespace {

inline constexpr double kLargest = std::numeric_limits<double>::max();

// Bit 63 of the result is set exactly when r is an infinity or a NaN (all exponent bits set):
// plain integer operations, so that a loop of them ORed together vectorises.
inline std::uint64_t NonFiniteBit(double r) {
  constexpr std::uint64_t kExponent = 0x7FF0'0000'0000'0000ull;
  constexpr std::uint64_t kExponentOne = 0x0010'0000'0000'0000ull;
  return (std::bit_cast<std::uint64_t>(r) & kExponent) + kExponentOne;
}
inline bool AllFinite(std::uint64_t bits) {
  return (bits >> 63) == 0;
}

// out[j] = kernel(a[j]) for the chunk. Where `fast` is the kernel's arithmetic without its
// checks, a first loop that the compiler can vectorise computes it, and the kernel itself runs
// again only over a chunk where some result came out non-finite: a kernel returns its plain
// arithmetic whenever that is finite, so both ways give the same bits.
template <class Kernel>
inline void Map1(Kernel kernel, const double* a, double* out, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) out[j] = kernel(a[j]);
}

template <class Fast, class Kernel>
inline void Map1Fast(Fast fast, Kernel kernel, const double* __restrict a, double* __restrict out,
                     std::size_t n) {
  std::uint64_t bits = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const double r = fast(a[j]);
    out[j] = r;
    bits |= NonFiniteBit(r);
  }
  if (AllFinite(bits)) return;
  for (std::size_t j = 0; j < n; ++j) out[j] = kernel(a[j]);
}

template <class Kernel>
inline void Map2(Kernel kernel, const double* a, const double* b, double* out, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) out[j] = kernel(a[j], b[j]);
}

template <class Fast, class Kernel>
inline void Map2Fast(Fast fast, Kernel kernel, const double* __restrict a,
                     const double* __restrict b, double* __restrict out, std::size_t n) {
  std::uint64_t bits = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const double r = fast(a[j], b[j]);
    out[j] = r;
    bits |= NonFiniteBit(r);
  }
  if (AllFinite(bits)) return;
  for (std::size_t j = 0; j < n; ++j) out[j] = kernel(a[j], b[j]);
}

// One operand a constant: the same loops with the constant on the left or on the right.
template <class Kernel>
inline void MapRight(Kernel kernel, const double* a, double k, double* out, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) out[j] = kernel(a[j], k);
}
template <class Kernel>
inline void MapLeft(Kernel kernel, double k, const double* a, double* out, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) out[j] = kernel(k, a[j]);
}

template <class Fast, class Kernel>
inline void MapRightFast(Fast fast, Kernel kernel, const double* __restrict a, double k,
                         double* __restrict out, std::size_t n) {
  std::uint64_t bits = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const double r = fast(a[j], k);
    out[j] = r;
    bits |= NonFiniteBit(r);
  }
  if (AllFinite(bits)) return;
  for (std::size_t j = 0; j < n; ++j) out[j] = kernel(a[j], k);
}
template <class Fast, class Kernel>
inline void MapLeftFast(Fast fast, Kernel kernel, double k, const double* __restrict a,
                        double* __restrict out, std::size_t n) {
  std::uint64_t bits = 0;
  for (std::size_t j = 0; j < n; ++j) {
    const double r = fast(k, a[j]);
    out[j] = r;
    bits |= NonFiniteBit(r);
  }
  if (AllFinite(bits)) return;
  for (std::size_t j = 0; j < n; ++j) out[j] = kernel(k, a[j]);
}

// The plain arithmetic of the kernels that have one, for the vectorised first loop.
// clang-format off
struct FNeg { double operator()(double a) const { return -a; } };
struct FPercent { double operator()(double a) const { return a / 100; } };
struct FSquare { double operator()(double a) const { return a * a; } };
struct FCube { double operator()(double a) const { return a * a * a; } };
struct FAbs { double operator()(double a) const { return std::fabs(a); } };
struct FDegrees { double operator()(double a) const { return a * 180 / std::numbers::pi; } };
struct FRadians { double operator()(double a) const { return a * std::numbers::pi / 180; } };
struct FAdd { double operator()(double a, double b) const { return a + b; } };
struct FSub { double operator()(double a, double b) const { return a - b; } };
struct FMul { double operator()(double a, double b) const { return a * b; } };
struct FDiv { double operator()(double a, double b) const { return a / b; } };

// The kernel of an operation as a function object, and whether it has plain arithmetic.
template <auto K> struct Kernel1 { double operator()(double a) const { return K(a); } };
template <auto K> struct Kernel2 { double operator()(double a, double b) const { return K(a, b); } };
// clang-format on

// Each kernel over a chunk: the plain loop, unless specialised below.
template <double (*K)(double)>
inline void Unary(const double* a, double* out, std::size_t n) {
  Map1(Kernel1<K>{}, a, out, n);
}
template <double (*K)(double, double)>
inline void Binary(const double* a, const double* b, double* out, std::size_t n) {
  Map2(Kernel2<K>{}, a, b, out, n);
}
template <double (*K)(double, double)>
inline void Right(const double* a, double k, double* out, std::size_t n) {
  MapRight(Kernel2<K>{}, a, k, out, n);
}
template <double (*K)(double, double)>
inline void Left(double k, const double* a, double* out, std::size_t n) {
  MapLeft(Kernel2<K>{}, k, a, out, n);
}

// The kernels with plain arithmetic take the vectorised way.
#define CURVALIS_FAST_UNARY(kernel, fast)                                  \
  template <>                                                              \
  inline void Unary<kernel>(const double* a, double* out, std::size_t n) { \
    Map1Fast(fast{}, Kernel1<kernel>{}, a, out, n);                        \
  }
#define CURVALIS_FAST_BINARY(kernel, fast)                                                   \
  template <>                                                                                \
  inline void Binary<kernel>(const double* a, const double* b, double* out, std::size_t n) { \
    Map2Fast(fast{}, Kernel2<kernel>{}, a, b, out, n);                                       \
  }                                                                                          \
  template <>                                                                                \
  inline void Right<kernel>(const double* a, double k, double* out, std::size_t n) {         \
    MapRightFast(fast{}, Kernel2<kernel>{}, a, k, out, n);                                   \
  }                                                                                          \
  template <>                                                                                \
  inline void Left<kernel>(double k, const double* a, double* out, std::size_t n) {          \
    MapLeftFast(fast{}, Kernel2<kernel>{}, k, a, out, n);                                    \
  }
CURVALIS_FAST_UNARY(KNeg, FNeg)
CURVALIS_FAST_UNARY(KPercent, FPercent)
CURVALIS_FAST_UNARY(KSquare, FSquare)
CURVALIS_FAST_UNARY(KCube, FCube)
CURVALIS_FAST_UNARY(KAbs, FAbs)
CURVALIS_FAST_UNARY(KDegrees, FDegrees)
CURVALIS_FAST_UNARY(KRadians, FRadians)
CURVALIS_FAST_BINARY(KAdd, FAdd)
CURVALIS_FAST_BINARY(KSub, FSub)
CURVALIS_FAST_BINARY(KMul, FMul)
CURVALIS_FAST_BINARY(KDiv, FDiv)
#undef CURVALIS_FAST_UNARY
#undef CURVALIS_FAST_BINARY

// A list function (MIN, MAX, AND, OR) of `count` arrays, element by element: the values of
// one sample are gathered in a row, as the one-at-a-time interpreter holds them.
template <double (*K)(const double*, int)>
void List(double* const* args, int count, double* row, double* out, std::size_t n) {
  for (std::size_t j = 0; j < n; ++j) {
    for (int k = 0; k < count; ++k) row[k] = args[k][j];
    out[j] = K(row, count);
  }
}

}  // namespace

bool BatchRunnable(const Program& p) {
  if (!p.numeric || p.constant) return false;
  for (const Instr& in : p.code) {
    switch (in.op) {
      case Op::JumpIfFalse:
      case Op::Jump:
      case Op::JumpIfNotError:
      case Op::Pop:
      case Op::Concat:
        return false;
      default:
        break;
    }
  }
  return true;
}

std::size_t BatchListSize(const Program& p) {
  std::size_t most = 0;
  for (const Instr& in : p.code) {
    if (in.op == Op::Min || in.op == Op::Max || in.op == Op::And || in.op == Op::Or) {
      most = std::max(most, static_cast<std::size_t>(in.a));
    }
  }
  return most;
}

void BatchStack::Reserve(const Program& p) {
  const std::size_t depth = std::max<std::size_t>(1, p.depth);
  // The abscissas, a spare array the results go to, one array per stack slot.
  storage.assign((depth + 2) * kBatchChunk + BatchListSize(p), 0.0);
  slots.assign(depth, nullptr);
}

// Built twice, for any x86-64 and for one with AVX2, which the loader picks between: the wider
// registers take four samples at a time. No fused multiply-add either way, so the bits agree.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define CURVALIS_ALSO_AVX2 [[gnu::target_clones("avx2", "default")]]
#else
#define CURVALIS_ALSO_AVX2
#endif
CURVALIS_ALSO_AVX2 const double* RunBatch(const Instr* ip, BatchStack& st, const double* xs,
                                          std::size_t n) {
  double* const xv = st.storage.data();
  double* spare = xv + kBatchChunk;
  double** const slot = st.slots.data();
  for (std::size_t i = 0; i < st.slots.size(); ++i) slot[i] = xv + (i + 2) * kBatchChunk;
  double* const row = xv + (st.slots.size() + 2) * kBatchChunk;
  const double num = Boxed(ErrorCode::Num);
  for (std::size_t j = 0; j < n; ++j) {
    const double x = xs[j];
    xv[j] = std::fabs(x) <= kLargest ? x : num;
  }

  std::ptrdiff_t sp = -1;
  // The result of an operation goes to the spare array, which then takes the place of the
  // slot it belongs to: no operation writes over its own operands.
  auto put = [&](std::ptrdiff_t at) { std::swap(spare, slot[at]); };
  // clang-format off
  for (;; ++ip) {
    switch (ip->op) {
      case Op::Const: ++sp; std::fill(slot[sp], slot[sp] + n, ip->imm); break;
      case Op::X: std::memcpy(slot[++sp], xv, n * sizeof(double)); break;
#define CURVALIS_CASE(name, kernel)                                            \
      case Op::name: Unary<kernel>(slot[sp], spare, n); put(sp); break;        \
      case Op::name##OfX: Unary<kernel>(xv, spare, n); put(++sp); break;
      CURVALIS_FORMULA_UNARY(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                            \
      case Op::name: Binary<kernel>(slot[sp - 1], slot[sp], spare, n); put(--sp); break;
      CURVALIS_FORMULA_BINARY(CURVALIS_CASE)
      CURVALIS_FORMULA_COMPARE(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                            \
      case Op::name: Right<kernel>(slot[sp], ip->imm, spare, n); put(sp); break;  \
      case Op::name##OfX: Right<kernel>(xv, ip->imm, spare, n); put(++sp); break;
      CURVALIS_FORMULA_RIGHT_CONST(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                            \
      case Op::name: Left<kernel>(ip->imm, slot[sp], spare, n); put(sp); break;   \
      case Op::name##OfX: Left<kernel>(ip->imm, xv, spare, n); put(++sp); break;
      CURVALIS_FORMULA_LEFT_CONST(CURVALIS_CASE)
#undef CURVALIS_CASE
#define CURVALIS_CASE(name, kernel)                                            \
      case Op::name: Binary<kernel>(slot[sp], xv, spare, n); put(sp); break;
      CURVALIS_FORMULA_RIGHT_X(CURVALIS_CASE)
#undef CURVALIS_CASE
      // clang-format on
      case Op::Not:
        Unary<KNot>(slot[sp], spare, n);
        put(sp);
        break;
      case Op::IsError:
        Unary<KIsError>(slot[sp], spare, n);
        put(sp);
        break;
      case Op::IsNumber:
        Unary<KIsNumber>(slot[sp], spare, n);
        put(sp);
        break;
      case Op::Min:
      case Op::Max:
      case Op::And:
      case Op::Or: {
        const int count = ip->a;
        double* const* args = slot + sp - count + 1;
        if (ip->op == Op::Min) List<KMin>(args, count, row, spare, n);
        if (ip->op == Op::Max) List<KMax>(args, count, row, spare, n);
        if (ip->op == Op::And) List<KAnd>(args, count, row, spare, n);
        if (ip->op == Op::Or) List<KOr>(args, count, row, spare, n);
        sp -= count - 1;
        put(sp);
        break;
      }
      case Op::JumpIfFalse:  // BatchRunnable leaves these to the one-at-a-time interpreter
      case Op::Jump:
      case Op::JumpIfNotError:
      case Op::Pop:
      case Op::Concat:
      case Op::Return:
        return slot[0];
    }
  }
}

void BatchNumbers(const double* boxed, double* out, std::size_t n) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  for (std::size_t j = 0; j < n; ++j) {
    const double r = boxed[j];
    const double z = r + 0.0;
    out[j] = r != r ? kNaN : z;
  }
}

}  // namespace curvalis::formula
