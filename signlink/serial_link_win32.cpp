#ifdef _WIN32

#include "signlink/serial_link.h"

namespace tavrin {

SerialLink::~SerialLink() { CloseLink(); }

bool SerialLink::OpenLink(int portNumber, int baud) {
  // A second open closes the first handle instead of leaking it.
  CloseLink();
  m_lastError.clear();
  m_deviceName = WindowsPortDeviceName(portNumber);
  m_handle = CreateFileA(m_deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                         OPEN_EXISTING, 0, nullptr);
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
  if (m_handle == INVALID_HANDLE_VALUE) {
    m_lastError = "cannot open " + m_deviceName + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return true;
}

int SerialLink::ReadByte(std::uint8_t& byte) {
  DWORD read = 0;
  if (!ReadFile(m_handle, &byte, 1, &read, nullptr)) return 0;
  return static_cast<int>(read);
}

bool SerialLink::Write(std::string_view bytes, const WriteProgress& progress) {
  DWORD written = 0;
  const BOOL ok =
      WriteFile(m_handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (progress) progress(written);
  if (!ok || written != bytes.size()) {
    m_lastError =
        "write to " + m_deviceName + " failed (error " + std::to_string(GetLastError()) + ")";
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
