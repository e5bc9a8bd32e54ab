#pragma once

#include <array>
#include <atomic>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

namespace tavrin::launcher {

// Results of the interface's operations, as the component model has them.
using TraceResult = std::uint32_t;
inline constexpr TraceResult kTraceOk = 0;                     // S_OK
inline constexpr TraceResult kTraceFail = 0x80004005u;         // E_FAIL
inline constexpr TraceResult kTraceNoInterface = 0x80004002u;  // E_NOINTERFACE

struct InterfaceId {
  std::uint32_t data1;
  std::uint16_t data2, data3;
  std::array<std::uint8_t, 8> data4;
  bool operator==(const InterfaceId&) const = default;
};
// {00000000-0000-0000-C000-000000000046}: the base interface.
inline constexpr InterfaceId kBaseInterfaceId{0, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
// {858C0E84-7105-11D3-8105-00A0C99C93A8}: the trace log's own.
inline constexpr InterfaceId kTraceLogInterfaceId{
    0x858C0E84, 0x7105, 0x11D3, {0x81, 0x05, 0x00, 0xA0, 0xC9, 0x9C, 0x93, 0xA8}};

// The trace log: one reference-counted object, safe to call from several threads. It keeps a
// ring of the last 128 call sites (file, line, thread) and writes them in front of every
// message, so each message in the file follows the path of calls that led to it. The
// operations are declared in the order of the interface's layout.
class ITraceLog {
 public:
  virtual TraceResult QueryInterface(const InterfaceId& id, void** out) = 0;
  virtual std::uint32_t AddRef() = 0;
  virtual std::uint32_t Release() = 0;
  // Opens "<name>.lg0", the older logs moving on to ".lg1" to ".lg3"; kTraceOk or kTraceFail.
  virtual TraceResult Open(const char* fileName) = 0;
  // Copies the log file name, at most size - 1 bytes, always terminated.
  virtual void GetFileName(char* buffer, std::size_t size) = 0;
  virtual void Close() = 0;
  virtual void BindThread() = 0;
  virtual int Dump(const char* text, int kind) = 0;
  virtual void SetSwitches(std::uint8_t value) = 0;
  virtual void SetSwitchA(std::uint8_t value) = 0;
  virtual void SetExceptionSwitch(std::uint8_t value) = 0;
  virtual void SetSwitchC(std::uint8_t value) = 0;
  virtual std::uint32_t SetErrorCode(std::uint32_t code) = 0;
  virtual int Trace(const char* sourceFile, int line) = 0;
  virtual int TraceIfEnabled(const char* sourceFile, int line) = 0;
  virtual int Reserved(void*, void*, void*) = 0;
  virtual void LogException(const class CSE_Exception& exception, const char* sourceFile,
                            int line) = 0;
  virtual void LogText(const char* format, ...) = 0;
  virtual void LogSystemText(std::uint32_t errorCode, const char* format, ...) = 0;
  virtual void LogMessage(const char* sourceFile, int line, const char* format, ...) = 0;
  virtual void LogError(const char* sourceFile, int line, std::uint32_t errorCode,
                        const char* format, ...) = 0;
  virtual void LogErrorCode(const char* sourceFile, int line, std::uint32_t errorCode,
                            const char* format, ...) = 0;
  virtual void FormatOnly(const char* format, ...) = 0;

 protected:
  virtual ~ITraceLog() = default;
};

// A hardware fault turned into something the log can describe: the exception code, a copy of
// the system's exception record and of the processor context at the fault (as much of each as
// the platform has, in the sizes the log keeps).
class CSE_Exception {
 public:
  static constexpr std::uint32_t kAccessViolation = 0xC0000005;
  static constexpr std::uint32_t kIllegalInstruction = 0xC000001D;
  static constexpr std::uint32_t kFloatDivideByZero = 0xC000008E;
  static constexpr std::uint32_t kIntDivideByZero = 0xC0000094;
  static constexpr std::uint32_t kPrivilegedInstruction = 0xC0000096;
  static constexpr std::uint32_t kStackOverflow = 0xC00000FD;

  CSE_Exception(std::uint32_t code, std::uintptr_t faultAddress = 0, bool write = false,
                std::uintptr_t accessedAddress = 0);

  std::uint32_t Code() const { return m_code; }
  // The text of the exception for the log: "Access Violation: IP: 0x%08X Read Address:
  // 0x%08X", "INT_DIVIDE_BY_ZERO", ..., "Unknown SE_exception: %08X".
  std::string Text() const;

  std::array<std::uint8_t, 80> record{};
  std::array<std::uint8_t, 716> context{};

 private:
  std::uint32_t m_code;
  std::uintptr_t m_faultAddress;
  bool m_write;
  std::uintptr_t m_accessedAddress;
};

// The trace log itself.
class TraceLog final : public ITraceLog {
 public:
  static constexpr int kRingSize = 128;

  // A new log, its reference count 1, nothing open.
  static TraceLog* Create();

  TraceResult QueryInterface(const InterfaceId& id, void** out) override;
  std::uint32_t AddRef() override;
  std::uint32_t Release() override;
  TraceResult Open(const char* fileName) override;
  void GetFileName(char* buffer, std::size_t size) override;
  void Close() override;
  void BindThread() override;
  int Dump(const char* text, int kind) override;
  void SetSwitches(std::uint8_t value) override;
  void SetSwitchA(std::uint8_t value) override;
  void SetExceptionSwitch(std::uint8_t value) override;
  void SetSwitchC(std::uint8_t value) override;
  std::uint32_t SetErrorCode(std::uint32_t code) override;
  int Trace(const char* sourceFile, int line) override;
  int TraceIfEnabled(const char* sourceFile, int line) override;
  int Reserved(void*, void*, void*) override { return 0; }
  void LogException(const CSE_Exception& exception, const char* sourceFile, int line) override;
  void LogText(const char* format, ...) override;
  void LogSystemText(std::uint32_t errorCode, const char* format, ...) override;
  void LogMessage(const char* sourceFile, int line, const char* format, ...) override;
  void LogError(const char* sourceFile, int line, std::uint32_t errorCode, const char* format,
                ...) override;
  void LogErrorCode(const char* sourceFile, int line, std::uint32_t errorCode, const char* format,
                    ...) override;
  void FormatOnly(const char* format, ...) override;

  bool Enabled() const { return m_enabled; }
  // Closes the log of a process that a fault is ending: the closing line is the error one.
  void CloseAfterFault();
  std::uint32_t TotalTraced() const { return m_totalTraced; }
  std::uint32_t TotalLogged() const { return m_totalLogged; }

 private:
  TraceLog();
  ~TraceLog() override;

  struct Record {
    char file[260];
    int line;
    std::uint32_t thread;
  };

  // Writes text with every line feed as CR LF.
  void Write(const char* text);
  // Takes the lock within 1000 ms, or switches the log off for good.
  bool Lock();
  // The error block's text: the message cut at 1016 characters, " -- " and the system's text.
  std::string WithSystemText(const char* text, std::uint32_t code, bool codeWhenNoText);
  // The error block of LogError and LogErrorCode.
  void LogErrorBlock(const char* sourceFile, int line, std::uint32_t errorCode, bool codeWhenNoText,
                     const char* format, std::va_list args);

  std::atomic<std::uint32_t> m_references{1};
  char m_fileName[253] = {};
  std::array<Record, kRingSize> m_ring{};
  int m_head = 0;
  int m_tail = 0;
  std::uint32_t m_totalTraced = 0;
  std::uint32_t m_totalLogged = 0;
  std::size_t m_rootPrefix = 0;
  std::FILE* m_file = nullptr;
  bool m_busy = false;
  std::atomic<bool> m_enabled{false};
  std::timed_mutex m_lock;
  char m_scratch[1024] = {};
};

// The calling thread's identifier as the log writes it.
std::uint32_t CurrentThreadId();

// The system's text for an error code (Windows: its message in the neutral language; POSIX:
// strerror), without a line end; empty when the system knows no text for it.
std::string SystemErrorText(std::uint32_t code);

// Reports hardware faults of the process in the log: on Windows through a structured-exception
// translator (MSVC) or a vectored handler (other compilers); on POSIX for the synchronous
// signals SIGSEGV, SIGBUS, SIGILL and SIGFPE, with the same codes and texts. On POSIX the
// calling thread's stack is noted here: a SIGSEGV at an address in the guard area just below
// it is reported as EXCEPTION_STACK_OVERFLOW, any other as an access violation. After the
// report the fault ends the process as it would have.
void ReportFaultsTo(ITraceLog* log);

}  // namespace tavrin::launcher
