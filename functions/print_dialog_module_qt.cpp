// The module that holds the system print dialog (and so Qt's print support), loaded by
// LoadPrinterChooser when Send via Network first asks for a queue.
#include <QPrintDialog>
#include <QPrinter>

#include "functions/printer_chooser.h"

namespace {

class DialogChooser : public tavrin::PrinterChooser {
 public:
  bool Choose(QWidget* parent, std::string& printerName) override {
    QPrintDialog dialog(&m_printer, parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    printerName = m_printer.outputFormat() == QPrinter::NativeFormat
                      ? m_printer.printerName().toStdString()
                      : std::string();
    return true;
  }

 private:
  QPrinter m_printer;  // the application's printer: the choice stays for the next dialog
};

}  // namespace

extern "C" Q_DECL_EXPORT tavrin::PrinterChooser* TavrinNewPrinterChooser() {
  return new DialogChooser;
}
