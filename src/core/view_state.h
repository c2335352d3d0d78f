#pragma once

namespace curvalis {

// The view of the main window: the world rectangle shown is 6.4 ScaleUnit wide and
// 4.8 ScaleUnit high around (OffsetX, OffsetY).
struct ViewState {
  double ScaleUnit = 1;
  double OffsetX = 0;
  double OffsetY = 0;
  double PresetView = 1;  // 1 after start or a preset; 0 after a zoom or translation
};

}  // namespace curvalis
