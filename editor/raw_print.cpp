#include "editor/raw_print.h"

namespace tavrin {

std::string RawPrint::GetDefaultPrinterName() const { return m_spooler.CurrentPrinter(); }

bool RawPrint::getPrintHanele_StartDoc_StartPage(const std::string& printerName,
                                                 PrinterHandle& handle) {
  PrinterHandle opened = 0;
  if (!m_spooler.OpenPrinter(printerName, opened)) {
    throw RawPrintError(kPrinterNotFoundText, m_spooler.LastError());
  }
  handle = opened;
  if (!m_spooler.StartDocument(opened, kRawDocumentName)) {
    std::string reason = m_spooler.LastError();
    m_spooler.ClosePrinter(opened);
    throw RawPrintError(kPrinterDocErrorText, std::move(reason));
  }
  if (!m_spooler.StartPage(opened)) {
    std::string reason = m_spooler.LastError();
    m_spooler.EndDocument(opened);
    m_spooler.ClosePrinter(opened);
    throw RawPrintError(kPrinterPageErrorText, std::move(reason));
  }
  return true;
}

bool RawPrint::PrintLineToGeneric(PrinterHandle handle, std::string_view data) {
  if (!m_spooler.WritePrinter(handle, data)) {
    std::string reason = m_spooler.LastError();
    m_spooler.EndPage(handle);
    m_spooler.EndDocument(handle);
    m_spooler.ClosePrinter(handle);
    throw RawPrintError(kPrinterFileErrorText, std::move(reason));
  }
  return true;
}

void RawPrint::ClosePrinter_EndDoc_Endpage(PrinterHandle handle) {
  m_spooler.EndPage(handle);
  m_spooler.EndDocument(handle);
  m_spooler.ClosePrinter(handle);
}

}  // namespace tavrin
