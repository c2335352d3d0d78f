// The helper program of the exact engine as a child process: started on the first request,
// kept running, one request at a time, each with a time limit. A helper that overruns its
// limit, dies or writes anything but an answer line is killed with its whole process group;
// the next request starts a new one. A helper that ended while idle is started anew for the
// request that finds it gone, which it answers. Its standard error goes to /dev/null. POSIX
// only, no Qt.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <mutex>
#include <optional>
#include <string>

namespace curvalis::study {

class HelperProcess {
 public:
  enum class Failure { None, Missing, Timeout, Died, Garbage };

  explicit HelperProcess(std::string path);
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  // Sends one line (without its newline) and waits for the answer line until `limit` has
  // passed. nullopt with `failure` set when there is none.
  std::optional<std::string> Request(const std::string& line, std::chrono::milliseconds limit,
                                     Failure& failure);

  // True while a helper is running.
  bool Running() const { return pid_ > 0; }

  // Ends the helper: closes its input, waits a moment for it, kills it if it stays.
  void Stop();

 private:
  bool Start();
  // Kills the helper's process group and waits for the helper.
  void Kill();
  // True when the helper has ended (it is not reaped until Kill).
  bool Ended() const;
  // Appends what the helper's output holds now, without waiting.
  void ReadAvailable();
  // Waits for the answer line until `deadline`; nullopt with `failure` set when there is none.
  std::optional<std::string> ReadAnswer(std::chrono::steady_clock::time_point deadline,
                                        Failure& failure);
  // How many bytes the helper has not read of what was written to it.
  std::size_t Unread() const;

  std::string path_;
  pid_t pid_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
  std::string pending_;  // bytes read past the last answer line
  std::mutex mutex_;
};

}  // namespace curvalis::study
