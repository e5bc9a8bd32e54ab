#pragma once

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace tavrin::testing {

struct ProcessResult {
  int code = -1;
  std::string out;
  std::string err;
};

// Starts a program with its standard output and error on pipes; the descriptors are returned.
inline pid_t Spawn(const std::vector<std::string>& argv, int& outFd, int& errFd) {
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) std::abort();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_addclose(&actions, err[0]);
  std::vector<char*> args;
  args.reserve(argv.size() + 1);
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) std::abort();
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  outFd = out[0];
  errFd = err[0];
  return pid;
}

// Runs a program to its end and collects what it printed.
inline ProcessResult RunProcess(const std::vector<std::string>& argv) {
  int outFd = -1, errFd = -1;
  const pid_t pid = Spawn(argv, outFd, errFd);
  ProcessResult result;
  pollfd fds[2] = {{outFd, POLLIN, 0}, {errFd, POLLIN, 0}};
  int open = 2;
  while (open > 0) {
    ::poll(fds, 2, 1000);
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      } else {
        (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
      }
    }
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

// A program left running beside the test, stopped with SIGTERM at the end.
class BackgroundProcess {
 public:
  explicit BackgroundProcess(const std::vector<std::string>& argv) {
    m_pid = Spawn(argv, m_out, m_err);
  }
  ~BackgroundProcess() {
    if (!m_exited) {
      ::kill(m_pid, SIGTERM);
      ::waitpid(m_pid, nullptr, 0);
    }
    ::close(m_out);
    ::close(m_err);
  }
  BackgroundProcess(const BackgroundProcess&) = delete;
  BackgroundProcess& operator=(const BackgroundProcess&) = delete;

  pid_t Pid() const { return m_pid; }

  // Ends the program at once, as a crash or a power cut would (SIGKILL), and reaps it.
  void Kill() {
    if (m_exited) return;
    ::kill(m_pid, SIGKILL);
    ::waitpid(m_pid, nullptr, 0);
    m_exited = true;
  }

  // Waits up to the given time for the program to end by itself.
  bool WaitForExit(int ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
      if (::waitpid(m_pid, nullptr, WNOHANG) == m_pid) {
        m_exited = true;
        return true;
      }
      ::usleep(10'000);
    }
    return false;
  }

  // The first line the program printed (empty if none came within five seconds).
  std::string FirstLine() {
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{m_out, POLLIN, 0};
      if (::poll(&p, 1, 100) <= 0) continue;
      char c = 0;
      if (::read(m_out, &c, 1) != 1) break;
      if (c == '\n') return line;
      line += c;
    }
    return line;
  }

  // What the program prints on its standard output within the given time.
  std::string ReadFor(int ms) {
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd p{m_out, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      char buffer[4096];
      const ssize_t n = ::read(m_out, buffer, sizeof buffer);
      if (n <= 0) break;
      text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
  }

 private:
  pid_t m_pid = -1;
  bool m_exited = false;
  int m_out = -1;
  int m_err = -1;
};

}  // namespace tavrin::testing
