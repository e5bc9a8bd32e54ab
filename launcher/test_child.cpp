// A stand-in for a setup program: "launcher_test_child CODE [SLEEP_MS [FILE [stamp]]]" waits,
// writes its working folder to FILE when given (or, with "stamp", the steady clock's reading
// when it started, in nanoseconds), and exits with CODE. "launcher_test_child raise SIGNAL"
// ends by the signal of that number, without a core file.
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#ifndef _WIN32
#include <sys/resource.h>
#endif

int main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], "raise") == 0) {
#ifndef _WIN32
    const rlimit noCore{0, 0};
    ::setrlimit(RLIMIT_CORE, &noCore);
#endif
    // The signal's own ending, whoever (a sanitizer) would catch it otherwise.
    const int signal = std::atoi(argv[2]);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    return 1;
  }
  const auto started = std::chrono::steady_clock::now().time_since_epoch();
  if (argc > 4) {
    std::ofstream(argv[3]) << std::chrono::duration_cast<std::chrono::nanoseconds>(started).count();
    return 0;
  }
  const int code = argc > 1 ? std::atoi(argv[1]) : 0;
  if (argc > 2) std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
  if (argc > 3) std::ofstream(argv[3]) << std::filesystem::current_path().string();
  return code;
}
