// The batch mode: the program without windows on the screen, for scripts and tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace curvalis {

class Tervano;

struct BatchOptions {
  std::string formula;    // --formula TEXT, or the bytes of --formula-file FILE
  std::string tracePath;  // "-" for standard output
  std::string imagePath;  // its ending, .png .bmp .svg or .pdf, chooses the kind
  int imageScale = 1;     // --image-scale N: a PNG or BMP N times the drawing's size
  std::string printTo;
  std::string reportPath;  // --report FILE: the written study, .pdf, .tex or .md by its ending
  // --report-results FILE: the same with the results alone, without the working
  std::string resultsPath;
  std::vector<std::string> commands;
};

// Parses the arguments after "--batch". On a bad argument returns nothing and sets `error`.
std::optional<BatchOptions> ParseBatchArguments(const std::vector<std::string>& args,
                                                std::string* error);

// Runs one command on the main window (and the side windows it opens).
void RunBatchCommand(Tervano& window, const std::string& command);

// The whole batch run; returns the exit code. `argv0` is for messages only.
int RunBatch(int argc, char** argv, const std::vector<std::string>& args);

}  // namespace curvalis
