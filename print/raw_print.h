#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/result.h"

namespace tavrin {

// The texts of a failed print step, shown as they stand.
inline constexpr const char* kPrinterNotFoundText = "Printer not found";
inline constexpr const char* kPrinterDocErrorText = "Printer Doc Error";
inline constexpr const char* kPrinterPageErrorText = "Printer page Error";
inline constexpr const char* kPrinterFileErrorText = "Printe File Error";
// The document name every raw job carries.
inline constexpr const char* kRawDocumentName = "Tavrintxt";

// An open printer as the spooler knows it; 0 is none.
using PrinterHandle = std::uintptr_t;

// A print queue of the system, for a listing.
struct PrintQueue {
  std::string name;
  bool isDefault = false;
  bool accepting = true;  // takes new jobs
  bool stopped = false;   // holds its jobs instead of printing them
  std::string message;    // what the queue last said, if anything
};

// What became of the last job a spooler closed.
struct JobFate {
  enum class State {
    Unknown,    // the spooler cannot tell (or there was no job)
    Waiting,    // still queued or being sent
    Delivered,  // the queue passed every byte on
    Failed,     // aborted or cancelled: the sign did not get it
  };
  State state = State::Unknown;
  std::string reason;
};

// The print spooler of the platform, one primitive a call: CUPS on Linux, the Win32 spooler
// on Windows, a scripted one in tests. It also holds the application's current printer, the
// one the user chose last. The calls that can fail return false and leave LastError() saying
// why; none of them throws.
class Spooler {
 public:
  virtual ~Spooler() = default;

  // The printer the user chose (print dialog, --queue); empty when none has been chosen.
  const std::string& CurrentPrinter() const { return m_currentPrinter; }
  void SelectPrinter(std::string name) { m_currentPrinter = std::move(name); }

  // Opens the printer of that name; on success the handle is the caller's until ClosePrinter.
  virtual bool OpenPrinter(const std::string& name, PrinterHandle& handle) = 0;
  // Starts a document of raw bytes with the given name (a job the spooler passes on as is).
  virtual bool StartDocument(PrinterHandle handle, const std::string& documentName) = 0;
  virtual bool StartPage(PrinterHandle handle) = 0;
  // Hands all the bytes to the spooler in one call.
  virtual bool WritePrinter(PrinterHandle handle, std::string_view bytes) = 0;
  virtual void EndPage(PrinterHandle handle) = 0;
  // Ends the document: the job goes to the printer. A job whose write failed is withdrawn
  // instead, where the spooler can, so that a sign never gets half a frame.
  virtual void EndDocument(PrinterHandle handle) = 0;
  virtual void ClosePrinter(PrinterHandle handle) = 0;
  virtual std::string LastError() const = 0;

  // What became of the last job ended with EndDocument; Unknown where the spooler cannot tell.
  virtual JobFate LastJobFate() { return {}; }
  // The queues the system knows, the default one marked; empty when it cannot list them.
  virtual std::vector<PrintQueue> Queues() = 0;

 private:
  std::string m_currentPrinter;
};

// The spooler of this platform.
std::unique_ptr<Spooler> MakeSystemSpooler();

// Sends bytes to a printer queue unchanged, as one raw print job. The caller holds the printer
// handle between the calls. A failing call releases what it had opened, so the caller closes
// nothing on those paths, and returns the text the user is shown, as it stands; LastReason()
// then has the spooler's own account of it. Nothing throws. Calling order: the name, the
// job, one or more writes, the close.
class RawPrint {
 public:
  explicit RawPrint(Spooler& spooler) : m_spooler(spooler) {}

  // The current printer; empty when none has been chosen.
  std::string GetDefaultPrinterName() const;
  // Opens the printer (the handle is set from then on), starts a raw document "Tavrintxt" and
  // its page. Fails with "Printer not found", "Printer Doc Error" (the printer closed again)
  // or "Printer page Error" (the document ended and the printer closed).
  Status getPrintHanele_StartDoc_StartPage(const std::string& printerName, PrinterHandle& handle);
  // Writes all the bytes in one call. Fails with "Printe File Error" after ending the page and
  // the document and closing the printer.
  Status PrintLineToGeneric(PrinterHandle handle, std::string_view data);
  // Ends the page and the document and closes the printer.
  void ClosePrinter_EndDoc_Endpage(PrinterHandle handle);

  // Why the last failed call failed, in the spooler's words (for a status line or stderr);
  // empty when it gave none.
  const std::string& LastReason() const { return m_lastReason; }

 private:
  // Keeps the spooler's account before the clean-up calls can change it, and fails with text.
  Error Failed(const char* text);

  Spooler& m_spooler;
  std::string m_lastReason;
};

}  // namespace tavrin
