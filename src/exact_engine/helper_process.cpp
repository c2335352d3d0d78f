#include "exact_engine/helper_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <vector>

extern char** environ;

namespace curvalis::study {

namespace {

constexpr std::size_t kMaxAnswer = 8 << 20;

int MillisLeft(std::chrono::steady_clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return left.count() < 0 ? 0 : static_cast<int>(left.count());
}

// Writes all of `data`; a helper that has closed its input gives EPIPE, never a SIGPIPE that
// would end the program: the signal is blocked on this thread while writing and a pending one
// is taken back before it is unblocked.
bool WriteAll(int fd, const std::string& data, std::chrono::steady_clock::time_point deadline) {
  sigset_t pipe, old;
  sigemptyset(&pipe);
  sigaddset(&pipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipe, &old);
  std::size_t done = 0;
  bool ok = true;
  while (done < data.size()) {
    pollfd p{fd, POLLOUT, 0};
    const int r = poll(&p, 1, MillisLeft(deadline));
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) {
      ok = false;
      break;
    }
    const ssize_t n = write(fd, data.data() + done, data.size() - done);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      ok = false;
      break;
    }
    done += static_cast<std::size_t>(n);
  }
  if (!ok) {
    timespec zero{0, 0};
    while (sigtimedwait(&pipe, nullptr, &zero) > 0) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  return ok;
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
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // The helper starts with the default signal dispositions and none blocked.
  sigset_t none, all;
  sigemptyset(&none);
  sigfillset(&all);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &all);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
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
  // A helper whose input has ended leaves at once; give it a moment, then kill it.
  for (int i = 0; i < 20; ++i) {
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno != EINTR)) {
      pid_ = -1;
      break;
    }
    usleep(5000);
  }
  Kill();
}

std::optional<std::string> HelperProcess::Request(const std::string& line,
                                                  std::chrono::milliseconds limit,
                                                  Failure& failure) {
  std::lock_guard lock(mutex_);
  failure = Failure::None;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  if (pid_ <= 0 && !Start()) {
    failure = Failure::Missing;
    return std::nullopt;
  }
  if (!WriteAll(toChild_, line + "\n", deadline)) {
    failure = MillisLeft(deadline) == 0 ? Failure::Timeout : Failure::Died;
    Kill();
    return std::nullopt;
  }
  for (;;) {
    if (std::size_t nl = pending_.find('\n'); nl != std::string::npos) {
      std::string answer = pending_.substr(0, nl);
      pending_.erase(0, nl + 1);
      return answer;
    }
    if (pending_.size() > kMaxAnswer) {
      failure = Failure::Garbage;
      Kill();
      return std::nullopt;
    }
    pollfd p{fromChild_, POLLIN, 0};
    const int r = poll(&p, 1, MillisLeft(deadline));
    if (r < 0 && errno == EINTR) continue;
    if (r == 0) {
      failure = Failure::Timeout;
      Kill();
      return std::nullopt;
    }
    char buf[65536];
    const ssize_t n = r < 0 ? -1 : read(fromChild_, buf, sizeof buf);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      failure = Failure::Died;
      Kill();
      return std::nullopt;
    }
    pending_.append(buf, static_cast<std::size_t>(n));
  }
}

}  // namespace curvalis::study
