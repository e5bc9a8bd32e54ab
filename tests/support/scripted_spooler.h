#pragma once

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "print/raw_print.h"

namespace tavrin::testing {

// A spooler in memory: it records every call in order ("open NAME", "doc NAME", "page",
// "write BYTES", "endpage", "enddoc", "close") and fails the call it is told to.
class ScriptedSpooler : public Spooler {
 public:
  std::vector<std::string> calls;
  std::vector<std::string> queues{"signq"};  // the names OpenPrinter knows
  std::string failDocument;                  // StartDocument fails with this reason
  bool failPage = false;
  int failWriteNumber = 0;     // the n-th write (from 1) fails
  int writeDelayMs = 0;        // each write takes this long, as a slow print service would
  std::vector<JobFate> fates;  // told one by one by LastJobFate, the last one repeated
  int fatesAsked = 0;

  bool OpenPrinter(const std::string& name, PrinterHandle& handle) override {
    calls.push_back("open " + name);
    for (const std::string& q : queues) {
      if (q == name) {
        handle = 7;
        return true;
      }
    }
    m_error = "no queue named " + name;
    return false;
  }
  bool StartDocument(PrinterHandle, const std::string& name) override {
    calls.push_back("doc " + name);
    m_error = failDocument;
    return failDocument.empty();
  }
  bool StartPage(PrinterHandle) override {
    calls.push_back("page");
    m_error = failPage ? "no page" : "";
    return !failPage;
  }
  bool WritePrinter(PrinterHandle, std::string_view bytes) override {
    calls.push_back("write " + std::string(bytes));
    if (writeDelayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(writeDelayMs));
    if (++m_writes == failWriteNumber) {
      m_error = "the queue went away";
      return false;
    }
    return true;
  }
  void EndPage(PrinterHandle) override { calls.push_back("endpage"); }
  void EndDocument(PrinterHandle) override { calls.push_back("enddoc"); }
  void ClosePrinter(PrinterHandle) override { calls.push_back("close"); }
  std::string LastError() const override { return m_error; }
  JobFate LastJobFate() override {
    if (fates.empty()) return {};
    const std::size_t i = static_cast<std::size_t>(fatesAsked++);
    return fates[i < fates.size() ? i : fates.size() - 1];
  }
  std::vector<PrintQueue> Queues() override {
    std::vector<PrintQueue> list;
    for (const std::string& q : queues) list.push_back({q, q == queues.front(), true, false, {}});
    return list;
  }

  // The bytes written, in order.
  std::string Written() const {
    std::string all;
    for (const std::string& c : calls) {
      if (c.rfind("write ", 0) == 0) all += c.substr(6);
    }
    return all;
  }

 private:
  std::string m_error;
  int m_writes = 0;
};

}  // namespace tavrin::testing
