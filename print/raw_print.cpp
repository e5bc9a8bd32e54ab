#include "print/raw_print.h"

namespace tavrin {

std::string RawPrint::GetDefaultPrinterName() const { return m_spooler.CurrentPrinter(); }

Error RawPrint::Failed(const char* text) {
  m_lastReason = m_spooler.LastError();
  return Error{text};
}

Status RawPrint::getPrintHanele_StartDoc_StartPage(const std::string& printerName,
                                                   PrinterHandle& handle) {
  PrinterHandle opened = 0;
  if (!m_spooler.OpenPrinter(printerName, opened)) return Failed(kPrinterNotFoundText);
  handle = opened;
  if (!m_spooler.StartDocument(opened, kRawDocumentName)) {
    const Error failed = Failed(kPrinterDocErrorText);
    m_spooler.ClosePrinter(opened);
    return failed;
  }
  if (!m_spooler.StartPage(opened)) {
    const Error failed = Failed(kPrinterPageErrorText);
    m_spooler.EndDocument(opened);
    m_spooler.ClosePrinter(opened);
    return failed;
  }
  return {};
}

Status RawPrint::PrintLineToGeneric(PrinterHandle handle, std::string_view data) {
  if (!m_spooler.WritePrinter(handle, data)) {
    const Error failed = Failed(kPrinterFileErrorText);
    m_spooler.EndPage(handle);
    m_spooler.EndDocument(handle);
    m_spooler.ClosePrinter(handle);
    return failed;
  }
  return {};
}

void RawPrint::ClosePrinter_EndDoc_Endpage(PrinterHandle handle) {
  m_spooler.EndPage(handle);
  m_spooler.EndDocument(handle);
  m_spooler.ClosePrinter(handle);
}

}  // namespace tavrin
