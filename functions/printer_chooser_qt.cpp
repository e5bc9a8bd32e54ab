#include "functions/printer_chooser.h"

#include <QCoreApplication>
#include <QLibrary>

#include "ui/controls.h"

namespace tavrin {

std::vector<std::filesystem::path> PrintDialogModuleFolders() {
  const std::filesystem::path program = ToPath(QCoreApplication::applicationDirPath());
  // TAVRIN_MODULES_FROM_PROGRAM: the way from the installed program's folder to the module's
  // ("../lib/tavrin"), so an installed tree works wherever it is unpacked.
  return {program, (program / TAVRIN_MODULES_FROM_PROGRAM).lexically_normal()};
}

Result<std::unique_ptr<PrinterChooser>> LoadPrinterChooser(
    const std::vector<std::filesystem::path>& folders) {
  std::string tried;
  for (const std::filesystem::path& folder : folders) {
    const std::filesystem::path file = folder / kPrintDialogModule;
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
      tried += (tried.empty() ? "" : ", ") + Utf8FromPath(folder);
      continue;
    }
    // Kept loaded until the program ends: the chooser's code is in it.
    QLibrary module(FromPath(file));
    using Make = PrinterChooser* (*)();
    const auto make = reinterpret_cast<Make>(module.resolve("TavrinNewPrinterChooser"));
    if (make == nullptr) {
      return Error{"Cannot open the print dialog: " + module.errorString().toStdString()};
    }
    return std::unique_ptr<PrinterChooser>(make());
  }
  return Error{std::string("Cannot open the print dialog: ") + kPrintDialogModule +
               " is in none of " + tried};
}

}  // namespace tavrin
