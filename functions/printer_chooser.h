#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/result.h"

class QWidget;

namespace tavrin {

// The system print dialog, in which the user picks the queue that a raw print job goes to. It
// lives in a module of its own, loaded the first time it is wanted: Qt's print support would
// otherwise be loaded, and cost memory, at every start of the program.
class PrinterChooser {
 public:
  virtual ~PrinterChooser() = default;
  // Shows the dialog over parent; true when the user accepted it. printerName is then the
  // queue chosen, or empty for a printer that writes a file (which is no queue). The next
  // dialog starts from the choice made in this one.
  virtual bool Choose(QWidget* parent, std::string& printerName) = 0;
};

// The module's file name, and the folders it is looked for in: beside the program (the build
// tree), then where the package installs it.
inline constexpr const char* kPrintDialogModule = "tavrin-print-dialog.so";
std::vector<std::filesystem::path> PrintDialogModuleFolders();

// Loads the module from the first of folders that holds it; an error names the file and why it
// would not load.
Result<std::unique_ptr<PrinterChooser>> LoadPrinterChooser(
    const std::vector<std::filesystem::path>& folders = PrintDialogModuleFolders());

}  // namespace tavrin

// The module's one entry point: a new chooser, owned by the caller.
extern "C" tavrin::PrinterChooser* TavrinNewPrinterChooser();
