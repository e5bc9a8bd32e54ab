#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/scratch_folder.h"

namespace tavrin::testing {

// A print service of the test's own: cupsd with its configuration, spool and logs in a scratch
// folder, listening only on a local socket there, and CUPS_SERVER pointing every client of
// this process and its children at it. Whatever cupsd the machine runs is left alone. Stopped,
// and its folder removed, when the object goes.
class PrivateCups {
 public:
  PrivateCups() {
    namespace fs = std::filesystem;
    const fs::path root = m_folder.Path();
    for (const char* sub : {"spool", "cache", "state", "tmp", "log", "ppd"}) {
      fs::create_directories(root / sub);
    }
    // The print backends run as another user: they must reach the spool and the temporary files.
    ::chmod(root.c_str(), 0755);
    ::chmod((root / "spool").c_str(), 0755);
    ::chmod((root / "tmp").c_str(), 01777);
    m_socket = (root / "cups.sock").string();
    m_folder.Put("cupsd.conf", "Listen " + m_socket +
                                   "\nLogLevel info\nBrowsing No\nDefaultAuthType None\n"
                                   "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                   "<Policy default>\n  <Limit All>\n    Order allow,deny\n"
                                   "    Allow all\n  </Limit>\n</Policy>\n");
    std::string files =
        "ServerRoot " + root.string() + "\nRequestRoot " + (root / "spool").string() +
        "\nCacheDir " + (root / "cache").string() + "\nStateDir " + (root / "state").string() +
        "\nTempDir " + (root / "tmp").string() + "\nAccessLog " +
        (root / "log/access_log").string() + "\nErrorLog " + (root / "log/error_log").string() +
        "\nPageLog " + (root / "log/page_log").string() + "\n";
    m_folder.Put("cups-files.conf", files);
    m_cupsd = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{"/usr/sbin/cupsd", "-f", "-c", (root / "cupsd.conf").string(),
                                 "-s", (root / "cups-files.conf").string()});
    ::setenv("CUPS_SERVER", m_socket.c_str(), 1);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      // lpstat exits with 0 either way: its words tell.
      if (Run({"/usr/bin/lpstat", "-r"}).out == "scheduler is running\n") {
        m_running = true;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  ~PrivateCups() {
    m_cupsd.reset();
    ::unsetenv("CUPS_SERVER");
  }
  PrivateCups(const PrivateCups&) = delete;
  PrivateCups& operator=(const PrivateCups&) = delete;

  // True once the service answers.
  bool Running() const { return m_running; }
  // The service's log, for a failure message.
  std::string Log() const { return ScratchFolder::Slurp(m_folder / "log/error_log"); }

  // Runs a CUPS client program (lpadmin, lpstat, cupsdisable, ...) against the service.
  static ProcessResult Run(const std::vector<std::string>& argv) { return RunProcess(argv); }

  // Adds a raw queue that passes its jobs to a TCP port, giving up a job the port refuses
  // rather than stopping the queue.
  // Empty when it was added, else what lpadmin said.
  std::string AddRawQueue(const std::string& name, const std::string& hostPort) const {
    const ProcessResult r = Run({"/usr/sbin/lpadmin", "-p", name, "-E", "-v",
                                 "socket://" + hostPort, "-o", "printer-error-policy=abort-job"});
    return r.code == 0 ? std::string() : "lpadmin: " + r.err + r.out;
  }

  // The jobs not yet done, as lpstat lists them (empty when none).
  static std::string ActiveJobs() { return Run({"/usr/bin/lpstat", "-o"}).out; }

 private:
  ScratchFolder m_folder;
  std::string m_socket;
  std::unique_ptr<BackgroundProcess> m_cupsd;
  bool m_running = false;
};

}  // namespace tavrin::testing
