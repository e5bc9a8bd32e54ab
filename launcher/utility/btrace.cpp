#include "launcher/utility/btrace.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <signal.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>
#endif

namespace tavrin::launcher {

namespace {

// What each thread keeps for the log.
struct ThreadRecord {
  std::uint8_t switchA = 1;
  std::uint8_t switchB = 1;  // the exception switch
  std::uint8_t switchC = 1;
  std::int32_t kind = 0;
  std::uint32_t code = 0;
  std::uint32_t thread = 0;
};
thread_local ThreadRecord t_record;

// The name with its extension (after the last dot of its file part) replaced, or appended.
std::string WithExtension(const std::string& name, const char* extension) {
  const std::size_t slash = name.find_last_of("/\\");
  const std::size_t dot = name.rfind('.');
  const bool hasDot = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  return (hasDot ? name.substr(0, dot) : name) + extension;
}

std::size_t ComputeRootPrefix() {
  // This file's path less its last two components (the file and its folder), plus the
  // separator: what is left of a source name is its module folder and file.
  std::string path = __FILE__;
  for (int i = 0; i < 2; ++i) {
    const std::size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos) return 0;
    path.resize(cut);
  }
  return path.size() + 1;
}

void Format(char* buffer, std::size_t size, const char* format, std::va_list args) {
  if (format == nullptr) {
    buffer[0] = '\0';
    return;
  }
  std::vsnprintf(buffer, size, format, args);
}

}  // namespace

std::uint32_t CurrentThreadId() {
#ifdef _WIN32
  return static_cast<std::uint32_t>(GetCurrentThreadId());
#else
  return static_cast<std::uint32_t>(::syscall(SYS_gettid));
#endif
}

std::string SystemErrorText(std::uint32_t code) {
#ifdef _WIN32
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), reinterpret_cast<char*>(&text), 0,
      nullptr);
  std::string result = n > 0 && text != nullptr ? std::string(text, n) : std::string();
  if (text != nullptr) LocalFree(text);
#else
  char buffer[512] = {};
  std::string result = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
  if (result.starts_with("Unknown error")) result.clear();
#endif
  while (!result.empty() && (result.back() == '\n' || result.back() == '\r')) result.pop_back();
  return result;
}

// ---- CSE_Exception -------------------------------------------------------------------------

CSE_Exception::CSE_Exception(std::uint32_t code, std::uintptr_t faultAddress, bool write,
                             std::uintptr_t accessedAddress)
    : m_code(code),
      m_faultAddress(faultAddress),
      m_write(write),
      m_accessedAddress(accessedAddress) {}

std::string CSE_Exception::Text() const {
  char text[128];
  switch (m_code) {
    case kAccessViolation:
      std::snprintf(text, sizeof text, "Access Violation: IP: 0x%08X %s Address: 0x%08X",
                    static_cast<unsigned>(m_faultAddress), m_write ? "Write" : "Read",
                    static_cast<unsigned>(m_accessedAddress));
      return text;
    case kIllegalInstruction:
      return "ILLEGAL_INSTRUCTION";
    case kFloatDivideByZero:
      return "FLT_DIVIDE_BY_ZERO";
    case kIntDivideByZero:
      return "INT_DIVIDE_BY_ZERO";
    case kPrivilegedInstruction:
      return "EXCEPTION_PRIV_INSTRUCTION";
    case kStackOverflow:
      return "EXCEPTION_STACK_OVERFLOW";
    default:
      std::snprintf(text, sizeof text, "Unknown SE_exception: %08X", m_code);
      return text;
  }
}

// ---- TraceLog ------------------------------------------------------------------------------

TraceLog::TraceLog() : m_rootPrefix(ComputeRootPrefix()) {}

TraceLog::~TraceLog() {
  if (m_file != nullptr) Close();
}

TraceLog* TraceLog::Create() { return new TraceLog(); }

TraceResult TraceLog::QueryInterface(const InterfaceId& id, void** out) {
  if (out == nullptr) return kTraceNoInterface;
  if (id == kBaseInterfaceId || id == kTraceLogInterfaceId) {
    *out = static_cast<ITraceLog*>(this);
    AddRef();
    return kTraceOk;
  }
  *out = nullptr;
  return kTraceNoInterface;
}

std::uint32_t TraceLog::AddRef() { return ++m_references; }

std::uint32_t TraceLog::Release() {
  const std::uint32_t left = --m_references;
  if (left == 0) delete this;
  return left;
}

void TraceLog::Write(const char* text) {
  if (m_file == nullptr) return;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p == '\n') std::fputc('\r', m_file);
    std::fputc(*p, m_file);
  }
}

TraceResult TraceLog::Open(const char* fileName) {
  try {
    std::snprintf(m_fileName, sizeof m_fileName, "%s", fileName != nullptr ? fileName : "");
    const std::string name = m_fileName;
    std::error_code ec;
    std::filesystem::remove(WithExtension(name, ".lg3"), ec);
    for (const auto& [from, to] : {std::pair{".lg2", ".lg3"}, {".lg1", ".lg2"}, {".lg0", ".lg1"}}) {
      std::filesystem::rename(WithExtension(name, from), WithExtension(name, to), ec);
    }
    if (m_file != nullptr) std::fclose(m_file);
    m_file = std::fopen(WithExtension(name, ".lg0").c_str(), "wb");
    if (m_file != nullptr) {
      const std::time_t now = std::time(nullptr);
      char header[512];
      std::snprintf(header, sizeof header, "Version: %s %s\nLogFile: %s start at: %s", __DATE__,
                    __TIME__, m_fileName, std::asctime(std::localtime(&now)));
      Write(header);
      std::fflush(m_file);
    }
    m_busy = false;
    m_enabled = m_file != nullptr;
    m_totalTraced = 0;
    m_totalLogged = 0;
    BindThread();
  } catch (...) {
    m_enabled = false;
  }
  return m_enabled ? kTraceOk : kTraceFail;
}

void TraceLog::GetFileName(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) return;
  std::snprintf(buffer, size, "%s", m_fileName);
}

void TraceLog::Close() {
  if (m_file != nullptr) {
    char closing[160];
    std::snprintf(closing, sizeof closing,
                  m_enabled
                      ? "\n>>SYSTEM TERMINATED NORMALLY<<  Total Trace : %u   Total Logged : %u\n\n"
                      : "\n>>TRACE SYSTEM ERROR<<  Total Trace : %u   Total Logged : %u\n\n",
                  m_totalTraced, m_totalLogged);
    Write(closing);
    std::fclose(m_file);
    m_file = nullptr;
  }
  m_enabled = false;
  m_busy = false;
}

void TraceLog::CloseAfterFault() {
  m_enabled = false;
  Close();
}

void TraceLog::BindThread() { t_record.thread = CurrentThreadId(); }

bool TraceLog::Lock() {
  if (m_lock.try_lock_for(std::chrono::milliseconds(1000))) return true;
  m_enabled = false;
  return false;
}

int TraceLog::Trace(const char* sourceFile, int line) {
  if (!Lock()) return 1;
  if (m_busy) {
    m_lock.unlock();
    return 1;
  }
  const int slot = m_head;
  m_head = (m_head + 1) % kRingSize;
  if (m_head == m_tail) m_tail = (m_tail + 1) % kRingSize;
  ++m_totalTraced;
  m_lock.unlock();

  Record& r = m_ring[static_cast<std::size_t>(slot)];
  const char* name = sourceFile != nullptr ? sourceFile : "";
  if (std::strlen(name) > m_rootPrefix) name += m_rootPrefix;
  std::snprintf(r.file, sizeof r.file, "%s", name);
  r.line = line;
  r.thread = t_record.thread;
  return 0;
}

int TraceLog::TraceIfEnabled(const char* sourceFile, int line) {
  return m_enabled ? Trace(sourceFile, line) : 1;
}

int TraceLog::Dump(const char* text, int kind) {
  if (!m_enabled) return 1;
  if (!Lock()) return 1;
  if (m_busy) {
    m_lock.unlock();
    return 1;
  }
  m_busy = true;
  m_lock.unlock();

  int pending = m_head - m_tail;
  if (pending < 0) pending += kRingSize;
  int limit = kRingSize;
  if (kind == 0 && pending > 32) limit = 32;
  if (m_totalLogged > 100000) limit = 2;
  if (pending > limit) {
    m_tail = (m_head - limit + kRingSize) % kRingSize;
    pending = limit;
  }
  char line[320];
  for (int i = 0; i < pending; ++i) {
    const Record& r = m_ring[static_cast<std::size_t>((m_tail + i) % kRingSize)];
    std::snprintf(line, sizeof line, "<%08X> %s (%d)\n", r.thread, r.file, r.line);
    Write(line);
  }
  m_totalLogged += static_cast<std::uint32_t>(pending);

  std::string block;
  char head[64];
  switch (kind) {
    case 0:
      block = "\n>>LOG MESSAGE<<   " + std::string(text != nullptr ? text : "") + "\n\n";
      break;
    case 1:
      std::snprintf(head, sizeof head,
                    "\n>>ERROR EXCEPTION<<   Exception(%d:0x%08X) : ", t_record.kind,
                    t_record.code);
      block = head + std::string(text != nullptr ? text : "") + "\n\n";
      break;
    case 2:
      std::snprintf(head, sizeof head, "\n>>ERROR MESSAGE<<   Error(%d:0x%08X) : ", t_record.kind,
                    t_record.code);
      block = head + std::string(text != nullptr ? text : "") + "\n\n";
      break;
    default:
      break;
  }
  Write(block.c_str());
  if (m_file != nullptr) std::fflush(m_file);

  m_busy = false;
  m_head = 0;
  m_tail = 0;
  return 0;
}

void TraceLog::SetSwitches(std::uint8_t value) {
  t_record.switchA = t_record.switchB = t_record.switchC = value;
}
void TraceLog::SetSwitchA(std::uint8_t value) { t_record.switchA = value; }
void TraceLog::SetExceptionSwitch(std::uint8_t value) { t_record.switchB = value; }
void TraceLog::SetSwitchC(std::uint8_t value) { t_record.switchC = value; }

std::uint32_t TraceLog::SetErrorCode(std::uint32_t code) {
  t_record.code = code;
  return code;
}

void TraceLog::LogException(const CSE_Exception& exception, const char* sourceFile, int line) {
  try {
    t_record.kind = 6;
    t_record.code = exception.Code();
    char text[1024];
    std::snprintf(text, sizeof text, "%s", exception.Text().c_str());
    if (t_record.switchB != 0 && m_enabled) {
      Trace(sourceFile, line);
      Dump(text, 1);
    }
  } catch (...) {
  }
}

std::string TraceLog::WithSystemText(const char* text, std::uint32_t code, bool codeWhenNoText) {
  std::string result(text, std::min<std::size_t>(std::strlen(text), 1016));
  std::string system = SystemErrorText(code);
  if (system.empty() && codeWhenNoText) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", code);
    system = hex;
  }
  result += " -- ";
  result += system.substr(0, std::min<std::size_t>(system.size(), 1023 - result.size()));
  return result;
}

void TraceLog::LogText(const char* format, ...) {
  char text[1024];
  std::va_list args;
  va_start(args, format);
  Format(text, sizeof text, format, args);
  va_end(args);
  if (m_enabled) Dump(text, 0);
}

void TraceLog::LogSystemText(std::uint32_t errorCode, const char* format, ...) {
  char text[1024];
  std::va_list args;
  va_start(args, format);
  Format(text, sizeof text, format, args);
  va_end(args);
#ifdef _WIN32
  if (errorCode == 0) errorCode = static_cast<std::uint32_t>(GetLastError());
#else
  if (errorCode == 0) errorCode = static_cast<std::uint32_t>(errno);
#endif
  const std::string full = WithSystemText(text, errorCode, false);
  if (m_enabled) Dump(full.c_str(), 0);
}

void TraceLog::LogMessage(const char* sourceFile, int line, const char* format, ...) {
  char text[1024];
  std::va_list args;
  va_start(args, format);
  Format(text, sizeof text, format, args);
  va_end(args);
  if (m_enabled) {
    Trace(sourceFile, line);
    Dump(text, 0);
  }
}

void TraceLog::LogErrorBlock(const char* sourceFile, int line, std::uint32_t errorCode,
                             bool codeWhenNoText, const char* format, std::va_list args) {
  char text[1024];
  Format(text, sizeof text, format, args);
  const std::string full = WithSystemText(text, errorCode, codeWhenNoText);
  if (m_enabled) {
    Trace(sourceFile, line);
    Dump(full.c_str(), 2);
  }
}

void TraceLog::LogError(const char* sourceFile, int line, std::uint32_t errorCode,
                        const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  LogErrorBlock(sourceFile, line, errorCode, false, format, args);
  va_end(args);
}

void TraceLog::LogErrorCode(const char* sourceFile, int line, std::uint32_t errorCode,
                            const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  LogErrorBlock(sourceFile, line, errorCode, true, format, args);
  va_end(args);
}

void TraceLog::FormatOnly(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  Format(m_scratch, sizeof m_scratch, format, args);
  va_end(args);
}

// ---- Faults --------------------------------------------------------------------------------

namespace {

ITraceLog* g_faultLog = nullptr;

void ReportFault(const CSE_Exception& exception) {
  if (g_faultLog == nullptr) return;
  g_faultLog->LogException(exception, __FILE__, __LINE__);
  if (auto* log = dynamic_cast<TraceLog*>(g_faultLog)) {
    log->CloseAfterFault();
  } else {
    g_faultLog->Close();
  }
}

#ifdef _WIN32

LONG WINAPI VectoredFault(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* r = info->ExceptionRecord;
  switch (r->ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_STACK_OVERFLOW:
      break;
    default:
      return EXCEPTION_CONTINUE_SEARCH;  // not a hardware fault: someone else's exception
  }
  const bool write = r->NumberParameters > 0 && r->ExceptionInformation[0] != 0;
  const std::uintptr_t address = r->NumberParameters > 1 ? r->ExceptionInformation[1] : 0;
  CSE_Exception exception(static_cast<std::uint32_t>(r->ExceptionCode),
                          reinterpret_cast<std::uintptr_t>(r->ExceptionAddress), write, address);
  std::memcpy(exception.record.data(), r, std::min(sizeof *r, exception.record.size()));
  std::memcpy(exception.context.data(), info->ContextRecord,
              std::min(sizeof *info->ContextRecord, exception.context.size()));
  ReportFault(exception);
  return EXCEPTION_CONTINUE_SEARCH;
}

#else

// The stack of the thread that asked for the reports, as it was found then: the lowest
// address it may grow down to, and how far below that a fault still means the stack ran out
// (its guard pages, or the gap of 256 pages the kernel keeps below a growing stack).
std::uintptr_t g_stackLowest = 0;
std::uintptr_t g_stackGuard = 0;
std::uintptr_t g_pageSize = 4096;

void NoteTheStack() {
  g_pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  pthread_attr_t attributes;
  if (::pthread_getattr_np(::pthread_self(), &attributes) != 0) return;
  void* lowest = nullptr;
  std::size_t size = 0;
  std::size_t guard = 0;
  if (::pthread_attr_getstack(&attributes, &lowest, &size) == 0) {
    ::pthread_attr_getguardsize(&attributes, &guard);
    g_stackLowest = reinterpret_cast<std::uintptr_t>(lowest);
    g_stackGuard = std::max<std::uintptr_t>(guard, 256 * g_pageSize);
  }
  ::pthread_attr_destroy(&attributes);
}

// A SIGSEGV that the processor raised (not one sent) while the handler runs on its own stack,
// at an address just below the lowest page of the stack: the stack has run out.
bool IsStackOverflow(int signal, const siginfo_t* info) {
  if (signal != SIGSEGV || info->si_code <= 0 || g_stackLowest == 0) return false;
  stack_t current{};
  if (::sigaltstack(nullptr, &current) != 0 || (current.ss_flags & SS_ONSTACK) == 0) return false;
  const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
  return address < g_stackLowest + g_pageSize && address + g_stackGuard >= g_stackLowest;
}

void SignalFault(int signal, siginfo_t* info, void* context) {
  std::uint32_t code = 0;
  std::uintptr_t ip = 0;
  bool write = false;
  const auto* uc = static_cast<const ucontext_t*>(context);
#if defined(__x86_64__)
  ip = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
  write = (uc->uc_mcontext.gregs[REG_ERR] & 2) != 0;
#else
  (void)uc;
#endif
  switch (signal) {
    case SIGSEGV:
    case SIGBUS:
      code = IsStackOverflow(signal, info) ? CSE_Exception::kStackOverflow
                                           : CSE_Exception::kAccessViolation;
      break;
    case SIGILL:
      code = info->si_code == ILL_PRVOPC ? CSE_Exception::kPrivilegedInstruction
                                         : CSE_Exception::kIllegalInstruction;
      break;
    case SIGFPE:
      code = info->si_code == FPE_INTDIV ? CSE_Exception::kIntDivideByZero
                                         : CSE_Exception::kFloatDivideByZero;
      break;
  }
  CSE_Exception exception(code, ip, write, reinterpret_cast<std::uintptr_t>(info->si_addr));
  std::memcpy(exception.record.data(), info, std::min(sizeof *info, exception.record.size()));
  ReportFault(exception);
  // The fault ends the process as it would have without the report.
  ::signal(signal, SIG_DFL);
  ::raise(signal);
}

#endif

}  // namespace

void ReportFaultsTo(ITraceLog* log) {
  g_faultLog = log;
#ifdef _WIN32
  static bool installed = false;
  if (!installed) AddVectoredExceptionHandler(1, VectoredFault);
  installed = true;
#else
  // A stack of its own, so that a stack overflow can still be reported.
  NoteTheStack();
  static std::array<char, 64 * 1024> altStack;
  stack_t stack{};
  stack.ss_sp = altStack.data();
  stack.ss_size = altStack.size();
  ::sigaltstack(&stack, nullptr);
  struct sigaction action {};
  action.sa_sigaction = SignalFault;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGSEGV, SIGBUS, SIGILL, SIGFPE}) ::sigaction(signal, &action, nullptr);
#endif
}

}  // namespace tavrin::launcher
