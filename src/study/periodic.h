// The numbers and texts of a periodic f: points moved by whole periods and written exactly,
// "π/2 + kπ" for a point of every period, the ticks in multiples of π. Private to the study
// library. Standard C++ only.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "exact_engine/engine.h"

namespace curvalis::study {

// v as an exact number when it is a rational multiple of π or a rational, with a denominator
// up to 24 ("3π/4", "−π/2", "2π", "3/2", "0"); nullopt otherwise. The text reads back as v.
std::optional<Number> RationalOrPiMultiple(double v);

// n + times·by, exact when both are exact and the sum is a rational multiple of π (or a
// rational); a decimal with "≈" when either is not exact; nullopt when the exact sum cannot be
// written.
std::optional<Number> Shifted(const Number& n, const Number& by, int times);

// "kπ", "2kπ", "kπ/2", "2k", "k": k times the period, as a student writes it.
std::string KTimes(const Number& period);

// The points of every period written once each, as "p + kT" ("π/2 + kπ", "kπ"): each point is
// moved into [0; T[ where it can be written exactly; points evenly spaced over a period
// (0 and π for a period 2π) are one progression with the smaller step ("kπ").
std::vector<std::string> EveryPeriod(std::vector<Number> points, const Number& period);

}  // namespace curvalis::study
