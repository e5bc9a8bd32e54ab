#include "print/raw_print.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_spooler.h"

namespace tavrin {
namespace {

using testing::ScriptedSpooler;
using Calls = std::vector<std::string>;

// Runs the whole calling order and gives the error text, if a call failed, with its reason.
std::string PrintAll(ScriptedSpooler& spooler, const std::vector<std::string>& blocks) {
  RawPrint print(spooler);
  const auto failed = [&print](const Status& status) {
    return status.ErrorText() + " | " + print.LastReason();
  };
  PrinterHandle handle = 0;
  if (Status s = print.getPrintHanele_StartDoc_StartPage(print.GetDefaultPrinterName(), handle);
      !s) {
    return failed(s);
  }
  for (const std::string& b : blocks) {
    if (Status s = print.PrintLineToGeneric(handle, b); !s) return failed(s);
  }
  print.ClosePrinter_EndDoc_Endpage(handle);
  return "";
}

TEST(RawPrintTest, AJobOpensWritesAndClosesInOrder) {
  ScriptedSpooler spooler;
  spooler.SelectPrinter("signq");
  EXPECT_EQ(PrintAll(spooler, {"one", std::string("t\0o", 3)}), "");
  EXPECT_EQ(spooler.calls, (Calls{"open signq", "doc Tavrintxt", "page", "write one",
                                  std::string("write t\0o", 9), "endpage", "enddoc", "close"}));
}

TEST(RawPrintTest, EachFailureReleasesWhatItOpenedAndNothingMore) {
  {
    ScriptedSpooler spooler;  // no printer chosen
    EXPECT_EQ(PrintAll(spooler, {"x"}), "Printer not found | no queue named ");
    EXPECT_EQ(spooler.calls, (Calls{"open "}));
  }
  {
    ScriptedSpooler spooler;
    spooler.SelectPrinter("signq");
    spooler.failDocument = "the queue is stopped";
    EXPECT_EQ(PrintAll(spooler, {"x"}), "Printer Doc Error | the queue is stopped");
    EXPECT_EQ(spooler.calls, (Calls{"open signq", "doc Tavrintxt", "close"}));
  }
  {
    ScriptedSpooler spooler;
    spooler.SelectPrinter("signq");
    spooler.failPage = true;
    EXPECT_EQ(PrintAll(spooler, {"x"}), "Printer page Error | no page");
    EXPECT_EQ(spooler.calls, (Calls{"open signq", "doc Tavrintxt", "page", "enddoc", "close"}));
  }
  {
    ScriptedSpooler spooler;
    spooler.SelectPrinter("signq");
    spooler.failWriteNumber = 2;
    EXPECT_EQ(PrintAll(spooler, {"a", "b", "c"}), "Printe File Error | the queue went away");
    EXPECT_EQ(spooler.calls, (Calls{"open signq", "doc Tavrintxt", "page", "write a", "write b",
                                    "endpage", "enddoc", "close"}));
  }
}

TEST(RawPrintTest, TheSystemSpoolerRefusesNamesNoQueueCanHave) {
  // Nothing of these reaches the print service: each is "Printer not found" at once.
  const std::unique_ptr<Spooler> spooler = MakeSystemSpooler();
  for (const std::string& name : {std::string(), std::string("sign queue"), std::string("a\"b"),
                                  std::string("a/b"), std::string(300, 'q'), std::string("x\ny")}) {
    spooler->SelectPrinter(name);
    RawPrint print(*spooler);
    PrinterHandle handle = 0;
    const Status opened =
        print.getPrintHanele_StartDoc_StartPage(print.GetDefaultPrinterName(), handle);
    EXPECT_FALSE(opened) << "opened: " << name;
    EXPECT_EQ(opened.ErrorText(), "Printer not found") << name;
    EXPECT_FALSE(print.LastReason().empty());
    EXPECT_EQ(handle, 0u);
  }
}

}  // namespace
}  // namespace tavrin
