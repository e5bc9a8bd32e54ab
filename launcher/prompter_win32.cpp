#ifdef _WIN32

#include <windows.h>

#include "launcher/prompter.h"

namespace tavrin::launcher {

namespace {

std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int n =
      MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

UINT IconOf(BoxIcon icon) {
  switch (icon) {
    case BoxIcon::Stop:
      return MB_ICONSTOP;
    case BoxIcon::Question:
      return MB_ICONQUESTION;
    case BoxIcon::Exclamation:
      return MB_ICONEXCLAMATION;
    case BoxIcon::Information:
      break;
  }
  return MB_ICONINFORMATION;
}

// True when the whole text went to the handle.
bool WriteAll(HANDLE handle, const std::string& text) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
         written == text.size();
}

constexpr wchar_t kStatusClass[] = L"Prompt setup";

// The text the status window paints, kept by the window itself.
LRESULT CALLBACK StatusProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const auto* status = static_cast<const wchar_t*>(GetPropW(window, L"StatusText"));
    RECT area;
    GetClientRect(window, &area);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    if (status != nullptr) DrawTextW(dc, status, -1, &area, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

class Win32Prompter : public LauncherPrompter {
 public:
  bool Ask(int captionId, const std::string& text, BoxIcon icon, bool noIsDefault) override {
    return MessageBoxW(nullptr, Wide(text).c_str(), Wide(LauncherString(captionId)).c_str(),
                       MB_YESNO | IconOf(icon) | (noIsDefault ? MB_DEFBUTTON2 : 0)) == IDYES;
  }
  void Tell(int captionId, const std::string& text, BoxIcon icon) override {
    MessageBoxW(nullptr, Wide(text).c_str(), Wide(LauncherString(captionId)).c_str(),
                MB_OK | IconOf(icon));
  }
  void CreateStatus() override {
    WNDCLASSW c{};
    c.style = CS_HREDRAW | CS_VREDRAW;
    c.lpfnWndProc = StatusProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hCursor = LoadCursor(nullptr, IDC_WAIT);
    c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    c.lpszClassName = kStatusClass;
    RegisterClassW(&c);
    m_window =
        CreateWindowExW(0, kStatusClass, Wide(LauncherString(2009)).c_str(), WS_POPUP | WS_CAPTION,
                        0, 0, 300, 85, nullptr, nullptr, c.hInstance, nullptr);
    if (m_window == nullptr) return;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(m_window, nullptr, work.left + (work.right - work.left - 300) / 2,
                 work.top + (work.bottom - work.top - 85) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  void ShowStatus(const std::string& text) override {
    if (m_window == nullptr) return;
    m_text = Wide(text).substr(0, 259);
    SetPropW(m_window, L"StatusText", const_cast<wchar_t*>(m_text.c_str()));
    ShowWindow(m_window, SW_SHOWNORMAL);
    InvalidateRect(m_window, nullptr, TRUE);
    UpdateWindow(m_window);
  }
  void DestroyStatus() override {
    if (m_window != nullptr) {
      RemovePropW(m_window, L"StatusText");
      DestroyWindow(m_window);
    }
    m_window = nullptr;
  }
  void ProcessMessages() override {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

 private:
  HWND m_window = nullptr;
  std::wstring m_text;
};

}  // namespace

void SayOnCommandLine(const std::string& text, bool error) {
  if (WriteAll(GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE), text)) return;
  // Started from a console without redirection, a program without a console of its own has no
  // standard handles; the console is still there to borrow. (The shell does not wait for such
  // a program: the text may come after its next prompt.)
  if (AttachConsole(ATTACH_PARENT_PROCESS)) {
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    const bool said = WriteAll(console, text);
    if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
    FreeConsole();
    if (said) return;
  }
  MessageBoxW(nullptr, Wide(text).c_str(), L"launchet",
              MB_OK | (error ? MB_ICONSTOP : MB_ICONINFORMATION));
}

std::unique_ptr<LauncherPrompter> MakeWindowPrompter(int&, char**) {
  return std::make_unique<Win32Prompter>();
}

}  // namespace tavrin::launcher

#endif
