#ifdef _WIN32
// The spooler on Windows: the Win32 print spooler, each job a raw document.
#include <windows.h>
#include <winspool.h>
// The spooler's names are ours here: OpenPrinter is a method, not the A/W macro.
#undef OpenPrinter

#include <map>
#include <vector>

#include "print/raw_print.h"

namespace tavrin {

namespace {

std::string SystemText(DWORD code) {
  char text[512] = {};
  const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, code, 0, text, sizeof text, nullptr);
  std::string s(text, n);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s.empty() ? "error " + std::to_string(code) : s;
}

// The printer's level-2 description, or nothing when it cannot be read.
std::vector<BYTE> PrinterInfo2(HANDLE printer) {
  DWORD needed = 0;
  GetPrinterA(printer, 2, nullptr, 0, &needed);
  if (needed == 0 || needed > (1u << 20)) return {};
  std::vector<BYTE> buffer(needed);
  if (!GetPrinterA(printer, 2, buffer.data(), needed, &needed)) return {};
  return buffer;
}

class Win32Spooler : public Spooler {
 public:
  ~Win32Spooler() override {
    for (auto& [handle, job] : m_jobs) ::ClosePrinter(job.printer);
  }

  bool OpenPrinter(const std::string& name, PrinterHandle& handle) override {
    if (name.empty()) return Refuse("no printer is chosen");
    HANDLE printer = nullptr;
    if (!::OpenPrinterA(const_cast<char*>(name.c_str()), &printer, nullptr)) {
      return Refuse(SystemText(GetLastError()));
    }
    Job job;
    job.printer = printer;
    const std::vector<BYTE> info = PrinterInfo2(printer);
    if (!info.empty()) {
      job.paused = (reinterpret_cast<const PRINTER_INFO_2A*>(info.data())->Status &
                    PRINTER_STATUS_PAUSED) != 0;
    }
    handle = m_next++;
    m_jobs.emplace(handle, job);
    return true;
  }

  bool StartDocument(PrinterHandle handle, const std::string& documentName) override {
    Job* job = Find(handle);
    if (job == nullptr) return false;
    // A paused queue would keep the job and say nothing: the sign would never get it.
    if (job->paused) return Refuse("the printer is paused");
    DOC_INFO_1A doc{};
    doc.pDocName = const_cast<char*>(documentName.c_str());
    doc.pOutputFile = nullptr;
    doc.pDatatype = const_cast<char*>("RAW");
    job->id = StartDocPrinterA(job->printer, 1, reinterpret_cast<LPBYTE>(&doc));
    if (job->id == 0) return Refuse(SystemText(GetLastError()));
    return true;
  }

  bool StartPage(PrinterHandle handle) override {
    Job* job = Find(handle);
    if (job == nullptr) return false;
    return StartPagePrinter(job->printer) ? true : Refuse(SystemText(GetLastError()));
  }

  bool WritePrinter(PrinterHandle handle, std::string_view bytes) override {
    Job* job = Find(handle);
    if (job == nullptr) return false;
    DWORD written = 0;
    const BOOL ok = ::WritePrinter(job->printer, const_cast<char*>(bytes.data()),
                                   static_cast<DWORD>(bytes.size()), &written);
    if (ok && written == bytes.size()) return true;
    job->writeFailed = true;
    return Refuse(ok ? "the spooler took only part of the bytes" : SystemText(GetLastError()));
  }

  void EndPage(PrinterHandle handle) override {
    if (Job* job = Find(handle)) EndPagePrinter(job->printer);
  }

  void EndDocument(PrinterHandle handle) override {
    Job* job = Find(handle);
    if (job == nullptr) return;
    // Half a frame must not reach the sign: a job whose write failed is deleted first.
    if (job->writeFailed && job->id != 0) {
      SetJobA(job->printer, job->id, 0, nullptr, JOB_CONTROL_DELETE);
    }
    EndDocPrinter(job->printer);
  }

  void ClosePrinter(PrinterHandle handle) override {
    auto it = m_jobs.find(handle);
    if (it == m_jobs.end()) return;
    ::ClosePrinter(it->second.printer);
    m_jobs.erase(it);
  }

  std::string LastError() const override { return m_lastError; }

  std::vector<PrintQueue> Queues() override {
    std::vector<PrintQueue> queues;
    const DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    DWORD needed = 0, count = 0;
    EnumPrintersA(flags, nullptr, 2, nullptr, 0, &needed, &count);
    if (needed == 0 || needed > (1u << 24)) return queues;
    std::vector<BYTE> buffer(needed);
    if (!EnumPrintersA(flags, nullptr, 2, buffer.data(), needed, &needed, &count)) return queues;
    char defaultName[512] = {};
    DWORD size = sizeof defaultName;
    if (!GetDefaultPrinterA(defaultName, &size)) defaultName[0] = '\0';
    const auto* info = reinterpret_cast<const PRINTER_INFO_2A*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      PrintQueue queue;
      queue.name = info[i].pPrinterName != nullptr ? info[i].pPrinterName : "";
      queue.isDefault = queue.name == defaultName;
      queue.stopped = (info[i].Status & PRINTER_STATUS_PAUSED) != 0;
      queues.push_back(std::move(queue));
    }
    return queues;
  }

 private:
  struct Job {
    HANDLE printer = nullptr;
    DWORD id = 0;
    bool paused = false;
    bool writeFailed = false;
  };

  Job* Find(PrinterHandle handle) {
    auto it = m_jobs.find(handle);
    if (it != m_jobs.end()) return &it->second;
    m_lastError = "the printer is not open";
    return nullptr;
  }

  bool Refuse(std::string reason) {
    m_lastError = std::move(reason);
    return false;
  }

  std::map<PrinterHandle, Job> m_jobs;
  PrinterHandle m_next = 1;
  std::string m_lastError;
};

}  // namespace

std::unique_ptr<Spooler> MakeSystemSpooler() { return std::make_unique<Win32Spooler>(); }

}  // namespace tavrin
#endif
