// The batch mode run as a separate program by the tests: a command line quoted for the shell,
// its output, its lines and its exit code.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace curvalis::testing {

struct BatchRun {
  int code = -1;
  std::vector<std::string> lines;
  std::string out;
};

// `s` as one word of a shell command.
inline std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs `command` through the shell: what it writes on standard output, split into lines too,
// and its exit code (-1 when it did not exit).
inline BatchRun RunCommand(const std::string& command) {
  BatchRun run;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return run;
  std::array<char, 4096> buf;
  std::size_t n;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) run.out.append(buf.data(), n);
  const int status = pclose(p);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream in(run.out);
  for (std::string line; std::getline(in, line);) run.lines.push_back(line);
  return run;
}

}  // namespace curvalis::testing
