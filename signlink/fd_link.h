#pragma once

#ifndef _WIN32

#include <string>

#include "signlink/sign_link.h"

namespace tavrin {

// What the serial and TCP links share on POSIX: a non-blocking descriptor, reads that wait
// with poll() in slices so that the idle hook runs, and writes that hand the whole frame to
// the system in one call and finish within a bounded time.
class FdLink : public SignLink {
 public:
  ~FdLink() override;

  int ReadByte(std::uint8_t& byte) override;
  bool Write(std::string_view bytes, const WriteProgress& progress = {}) override;
  void CloseLink() override;
  bool IsOpen() const override { return m_fd >= 0; }

 protected:
  // Takes over an opened descriptor, closing any earlier one first.
  void Adopt(int fd);
  // Marks the link broken: later reads return at once.
  void Break(const std::string& why);
  // How many written bytes still wait in the driver's output queue; 0 when unknown.
  virtual std::size_t PendingOutput() const { return 0; }
  // How long a write of n bytes may take before it counts as failed.
  virtual int WriteLimitMs(std::size_t n) const;

  int m_fd = -1;
  bool m_broken = false;
};

}  // namespace tavrin

#endif
