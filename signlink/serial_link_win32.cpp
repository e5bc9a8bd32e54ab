#ifdef _WIN32

#include "signlink/serial_link.h"
#include "signlink/serial_ports.h"

namespace tavrin {

namespace {

constexpr DWORD kSliceMs = 10;

// The system's text for an error code, without its line end.
std::string SystemText(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result = n > 0 && text != nullptr ? std::string(text, n) : std::string();
  if (text != nullptr) LocalFree(text);
  while (!result.empty() &&
         (result.back() == '\r' || result.back() == '\n' || result.back() == ' '))
    result.pop_back();
  return result + " (error " + std::to_string(code) + ")";
}

}  // namespace

SerialLink::SerialLink(DeviceForPort deviceForPort) : m_deviceForPort(std::move(deviceForPort)) {}

SerialLink::~SerialLink() { CloseLink(); }

std::string SerialLink::Failure(const std::string& what) const {
  // Called right after the failing call, before anything else can change the last error.
  return what + " " + m_deviceName + ": " + SystemText(GetLastError());
}

bool SerialLink::OpenLink(int portNumber, int baud) {
  // A second open closes the first handle instead of leaking it.
  CloseLink();
  m_lastError.clear();
  const int port = NormalizePortNumber(portNumber);
  m_deviceName = m_deviceForPort ? m_deviceForPort(port) : WindowsPortDeviceName(port);
  m_handle = CreateFileA(m_deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (m_handle == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    m_lastError = Failure("cannot open");
    if (const std::string explained = ExplainOpenFailure(m_deviceName, static_cast<int>(code));
        !explained.empty()) {
      m_lastError = explained;
    }
    return false;
  }
  // The line settings; a step that fails leaves the driver's settings, as the sign expects.
  SetupComm(m_handle, 1024, 1024);
  COMMTIMEOUTS timeouts{};
  GetCommTimeouts(m_handle, &timeouts);
  timeouts.ReadTotalTimeoutConstant = kReadTimeoutMs;
  SetCommTimeouts(m_handle, &timeouts);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(m_handle, &dcb);
  dcb.BaudRate = static_cast<DWORD>(baud);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  SetCommState(m_handle, &dcb);
  return true;
}

int SerialLink::ReadByte(std::uint8_t& byte) {
  if (m_handle == INVALID_HANDLE_VALUE) return 0;
  const ULONGLONG deadline = GetTickCount64() + kReadTimeoutMs;
  for (;;) {
    DWORD errors = 0;
    COMSTAT status{};
    const bool counted = ClearCommError(m_handle, &errors, &status) != 0;
    if (!counted || status.cbInQue > 0) {
      // A byte is waiting (or the driver cannot say): this read returns at once, or after the
      // port's own time-out when the driver could not count.
      DWORD read = 0;
      if (!ReadFile(m_handle, &byte, 1, &read, nullptr)) {
        m_lastError = Failure("cannot read from");
        return 0;
      }
      if (read == 1 || !counted) return static_cast<int>(read);
    }
    if (GetTickCount64() >= deadline) return 0;
    Idle();
    Sleep(kSliceMs);
  }
}

bool SerialLink::Write(std::string_view bytes, const WriteProgress& progress) {
  if (m_handle == INVALID_HANDLE_VALUE) {
    if (m_lastError.empty()) m_lastError = "the link is not open";
    return false;
  }
  DWORD written = 0;
  const BOOL ok =
      WriteFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (!ok) {
    m_lastError = Failure("cannot write to");
    return false;
  }
  if (progress) progress(written);
  if (written != bytes.size()) {
    m_lastError = "the line took " + std::to_string(written) + " of " +
                  std::to_string(bytes.size()) + " bytes on " + m_deviceName;
    return false;
  }
  return true;
}

void SerialLink::CloseLink() {
  if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
  m_handle = INVALID_HANDLE_VALUE;
}

}  // namespace tavrin

#endif
