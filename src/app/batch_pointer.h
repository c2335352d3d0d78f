// The batch mode's mouse over the drawing: "Tervano.Punta=PX,PY" puts the pointer at a logical
// pixel of the drawing, "Tervano.Trascina=DX,DY" drags the drawing and releases it.
#pragma once

#include <QPointF>
#include <optional>
#include <string>
#include <string_view>

#include "session/commands.h"

namespace curvalis {

class Tervano;

// Two finite numbers "A,B" (decimal point, optional minus sign and exponent, no blanks), or
// nothing.
std::optional<QPointF> ParsePixelPair(std::string_view text);

// For the two commands above, whether their value is two finite numbers; on a bad value sets
// `error`. Every other command passes.
bool CheckPointerValue(Cmd id, const std::string& text, std::string* error);

// The commands themselves, once the value was checked.
void BatchPunta(Tervano& window, std::string_view text);
void BatchTrascina(Tervano& window, std::string_view text);

}  // namespace curvalis
