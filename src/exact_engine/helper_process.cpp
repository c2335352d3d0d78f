#include "exact_engine/helper_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

extern char** environ;

namespace curvalis::study {

namespace {

constexpr std::size_t kMaxAnswer = 8 << 20;
constexpr int kCheckMs = 50;  // how often a waiting request looks whether the helper ended

int MillisLeft(std::chrono::steady_clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Writes all of `data`; a helper that has closed its input gives EPIPE, never a SIGPIPE that
// would end the program: the signal is blocked on this thread while writing and a pending one
// is taken back before it is unblocked.
enum class WriteResult { Done, Closed, Late, Failed };

WriteResult WriteAll(int fd, const std::string& data,
                     std::chrono::steady_clock::time_point deadline) {
  sigset_t pipe, old;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, &old);
  std::size_t done = 0;
  WriteResult result = WriteResult::Done;
  while (done < data.size()) {
    pollfd p{fd, POLLOUT, 0};
    const int r = poll(&p, 1, MillisLeft(deadline));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      result = r == 0 ? WriteResult::Late : WriteResult::Failed;
      break;
    }
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      // Nothing of the request reached a helper whose input is closed.
      result = n < 0 && errno == EPIPE && done == 0 ? WriteResult::Closed : WriteResult::Failed;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (result != WriteResult::Done) {
    timespec zero{0, 0};
    while (sigtimedwait(&pipe, nullptr, &zero) > 0) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return result;
}

}  // namespace

HelperProcess::HelperProcess(std::string path) : path_(std::move(path)) {}

HelperProcess::~HelperProcess() {
  Stop();
}

bool HelperProcess::Start() {
  if (path_.empty() || access(path_.c_str(), X_OK) != 0) return false;
  int in[2], out[2];
  if (pipe2(in, O_CLOEXEC) != 0) return false;
  if (pipe2(out, O_CLOEXEC) != 0) {
    close(in[0]);
    close(in[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  // What the helper (or anything it starts) writes on its standard error goes nowhere: it is
  // never the student's business, and a file that cannot fill up never blocks the helper.
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // The helper starts with the default signal dispositions and none blocked.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  // Its own process group, so that killing the group ends whatever the helper started too.
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setflags(&attr,
                           POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);
  char* argv[] = {const_cast<char*>(path_.c_str()), nullptr};
  pid_t pid = -1;
  const int r = posix_spawn(&pid, path_.c_str(), &actions, &attr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  close(in[0]);
  close(out[1]);
  if (r != 0) {
    close(in[1]);
    close(out[0]);
    return false;
  }
  pid_ = pid;
  toChild_ = in[1];
  fromChild_ = out[0];
  fcntl(toChild_, F_SETFL, fcntl(toChild_, F_GETFL) | O_NONBLOCK);
  fcntl(fromChild_, F_SETFL, fcntl(fromChild_, F_GETFL) | O_NONBLOCK);
  pending_.clear();
  return true;
}

void HelperProcess::Kill() {
  if (toChild_ >= 0) close(toChild_);
  if (fromChild_ >= 0) close(fromChild_);
  toChild_ = fromChild_ = -1;
  if (pid_ > 0) {
    // The whole group: the helper has not been waited for yet, so its id still names it and
    // its group, whether it is running or has ended.
    kill(-pid_, SIGKILL);
    kill(pid_, SIGKILL);
    while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  pid_ = -1;
  pending_.clear();
}

void HelperProcess::Stop() {
  std::lock_guard lock(mutex_);
  if (pid_ <= 0) return;
  close(toChild_);
  toChild_ = -1;
  // A helper whose input has ended leaves at once; give it a moment, then end its group.
  for (int i = 0; i < 20 && !Ended(); ++i) usleep(5000);
  Kill();
}

bool HelperProcess::Ended() const {
  // Without reaping it (WNOWAIT): until Kill waits for it, its id cannot name another process.
  siginfo_t info{};
  return waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         info.si_pid == pid_;
}

std::optional<std::string> HelperProcess::Request(const std::string& line,
                                                  std::chrono::milliseconds limit,
                                                  Failure& failure) {
  std::lock_guard lock(mutex_);
  failure = Failure::None;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  const std::string request = line + "\n";
  // A helper that ended while idle has not seen this request: a new one answers it. So does
  // one found ended (its input closed, or its output at its end) with not a byte of the
  // request read, once. One that ended after reading it fails the request.
  for (int attempt = 0;; ++attempt) {
    if (pid_ > 0 && Ended()) Kill();
    if (pid_ <= 0 && !Start()) {
      failure = Failure::Missing;
      return std::nullopt;
    }
    const WriteResult w = WriteAll(toChild_, request, deadline);
    if (w == WriteResult::Done) {
      std::optional<std::string> answer = ReadAnswer(deadline, failure);
      if (answer) return answer;
      const bool unread =
          failure == Failure::Died && pending_.empty() && Unread() == request.size();
      Kill();
      if (!unread || attempt > 0 || MillisLeft(deadline) == 0) return std::nullopt;
      failure = Failure::None;
      continue;
    }
    Kill();
    if (w == WriteResult::Closed && attempt == 0 && MillisLeft(deadline) > 0) continue;
    failure = w == WriteResult::Late ? Failure::Timeout : Failure::Died;
    return std::nullopt;
  }
}

std::optional<std::string> HelperProcess::ReadAnswer(std::chrono::steady_clock::time_point deadline,
                                                     Failure& failure) {
  for (;;) {
    if (std::size_t nl = pending_.find('\n'); nl != std::string::npos) {
      std::string answer = pending_.substr(0, nl);
      pending_.erase(0, nl + 1);
      return answer;
    }
    if (pending_.size() > kMaxAnswer) {
      failure = Failure::Garbage;
      return std::nullopt;
    }
    // Short waits, so that a helper that ends while something it started still holds its
    // output open is seen to have ended, not waited for until the limit.
    const int left = MillisLeft(deadline);
    pollfd p{fromChild_, POLLIN, 0};
    const int r = poll(&p, 1, std::min(left, kCheckMs));
    if (r < 0 && errno == EINTR) continue;
    if (r == 0) {
      if (left == 0) {
        failure = Failure::Timeout;
        return std::nullopt;
      }
      if (Ended()) {
        // What it wrote before it ended may still hold the answer.
        ReadAvailable();
        if (pending_.find('\n') != std::string::npos) continue;
        failure = Failure::Died;
        return std::nullopt;
      }
      continue;
    }
    char buf[65536];
    const ssize_t n = r < 0 ? -1 : read(fromChild_, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      failure = Failure::Died;
      return std::nullopt;
    }
    pending_.append(buf, static_cast<std::size_t>(n));
  }
}

std::size_t HelperProcess::Unread() const {
  // The bytes still in the helper's input pipe (the count is the pipe's, from either end).
  int n = 0;
  if (toChild_ < 0 || ioctl(toChild_, FIONREAD, &n) != 0 || n < 0) return 0;
  return static_cast<std::size_t>(n);
}

void HelperProcess::ReadAvailable() {
  char buf[65536];
  for (;;) {
    const ssize_t n = read(fromChild_, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || pending_.size() > kMaxAnswer) return;
    pending_.append(buf, static_cast<std::size_t>(n));
  }
}

}  // namespace curvalis::study
