#include "exact_engine/engine.h"

namespace curvalis::study {
namespace {

class UnavailableEngine : public ExactEngine {
 public:
  Answer<Expr> SetFunction(std::string_view) override { return No<Expr>(); }
  Answer<Expr> Derivative(Which) override { return No<Expr>(); }
  Answer<Domain> DomainOf(Which) override { return No<Domain>(); }
  Answer<std::vector<Number>> Solve(Which) override { return No<std::vector<Number>>(); }
  Answer<std::optional<Number>> Limit(Which, const Number&, Approach) override {
    return No<std::optional<Number>>();
  }
  Answer<std::optional<Line>> Asymptote(bool) override { return No<std::optional<Line>>(); }
  Answer<Symmetry> SymmetryOf() override { return No<Symmetry>(); }
  Answer<Number> ValueAt(Which, const Number&) override { return No<Number>(); }

 private:
  template <typename T>
  Answer<T> No() const {
    Answer<T> a;
    a.why = Reason::Unavailable;
    return a;
  }
};

}  // namespace

std::unique_ptr<ExactEngine> MakeUnavailableEngine() {
  return std::make_unique<UnavailableEngine>();
}

}  // namespace curvalis::study
