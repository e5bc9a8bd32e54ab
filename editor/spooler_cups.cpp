#ifndef _WIN32
// The spooler on Linux: CUPS, reached where libcups is told to (CUPS_SERVER, client.conf).
// Each job has its own connection, so a broken job leaves nothing shared behind.
#include <cups/cups.h>

#include <cstring>
#include <map>

#include "editor/raw_print.h"

namespace tavrin {

namespace {

constexpr int kConnectTimeoutMs = 5000;
constexpr double kExchangeTimeoutSeconds = 10.0;
constexpr int kStoppedState = 5;  // printer-state: stopped

// A name CUPS could hold: 1 to 127 bytes, no blanks, controls, slashes, "#", "?" or quotes.
// Anything else cannot name a queue and is not sent to the server at all ("a/b" would even
// name an instance of "a").
bool CouldNameAQueue(const std::string& name) {
  if (name.empty() || name.size() > 127) return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte == 0x7F || std::strchr("/\\#?'\"", c) != nullptr) return false;
  }
  return true;
}

http_t* Connect() {
  http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              kConnectTimeoutMs, nullptr);
  if (http != nullptr) httpSetTimeout(http, kExchangeTimeoutSeconds, nullptr, nullptr);
  return http;
}

std::string OptionOf(const cups_dest_t& dest, const char* name) {
  const char* value = cupsGetOption(name, dest.num_options, dest.options);
  return value != nullptr ? value : "";
}

class CupsSpooler : public Spooler {
 public:
  ~CupsSpooler() override {
    for (auto& [handle, job] : m_jobs) httpClose(job.http);
  }

  bool OpenPrinter(const std::string& name, PrinterHandle& handle) override {
    if (!CouldNameAQueue(name)) {
      m_lastError = name.empty() ? "no printer is chosen" : "no queue can have that name";
      return false;
    }
    http_t* http = Connect();
    if (http == nullptr) {
      m_lastError = std::string("the print service does not answer: ") + cupsLastErrorString();
      return false;
    }
    cups_dest_t* dest = cupsGetNamedDest(http, name.c_str(), nullptr);
    if (dest == nullptr) {
      m_lastError = "no queue named " + name;
      httpClose(http);
      return false;
    }
    Job job;
    job.queue = name;
    job.http = http;
    job.stopped = std::atoi(OptionOf(*dest, "printer-state").c_str()) == kStoppedState;
    job.accepting = OptionOf(*dest, "printer-is-accepting-jobs") != "false";
    cupsFreeDests(1, dest);
    handle = m_next++;
    m_jobs.emplace(handle, std::move(job));
    return true;
  }

  bool StartDocument(PrinterHandle handle, const std::string& documentName) override {
    Job* job = Find(handle);
    if (job == nullptr) return false;
    // A stopped queue would keep the job and say nothing: the sign would never get it.
    if (job->stopped) return Refuse("the queue " + job->queue + " is stopped");
    if (!job->accepting) return Refuse("the queue " + job->queue + " does not accept jobs");
    job->id = cupsCreateJob(job->http, job->queue.c_str(), documentName.c_str(), 0, nullptr);
    if (job->id == 0) return Refuse(cupsLastErrorString());
    if (cupsStartDocument(job->http, job->queue.c_str(), job->id, documentName.c_str(),
                          CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
      m_lastError = cupsLastErrorString();
      Withdraw(*job);
      return false;
    }
    job->documentOpen = true;
    return true;
  }

  bool StartPage(PrinterHandle handle) override { return Find(handle) != nullptr; }

  bool WritePrinter(PrinterHandle handle, std::string_view bytes) override {
    Job* job = Find(handle);
    if (job == nullptr || !job->documentOpen) return false;
    if (cupsWriteRequestData(job->http, bytes.data(), bytes.size()) != HTTP_STATUS_CONTINUE) {
      m_lastError = cupsLastErrorString();
      job->writeFailed = true;
      return false;
    }
    return true;
  }

  void EndPage(PrinterHandle) override {}

  void EndDocument(PrinterHandle handle) override {
    Job* job = Find(handle);
    if (job == nullptr || !job->documentOpen) return;
    job->documentOpen = false;
    m_last = Fate{job->queue, job->id, {}};
    if (job->writeFailed) {
      Withdraw(*job);
      m_last.failure = "the job was withdrawn after a failed write";
      return;
    }
    if (cupsFinishDocument(job->http, job->queue.c_str()) > IPP_STATUS_OK_CONFLICTING) {
      m_last.failure = cupsLastErrorString();
      Withdraw(*job);
    }
  }

  void ClosePrinter(PrinterHandle handle) override {
    auto it = m_jobs.find(handle);
    if (it == m_jobs.end()) return;
    httpClose(it->second.http);
    m_jobs.erase(it);
  }

  std::string LastError() const override { return m_lastError; }

  JobFate LastJobFate() override {
    if (m_last.id == 0) return {};
    if (!m_last.failure.empty()) return {JobFate::State::Failed, m_last.failure};
    http_t* http = Connect();
    if (http == nullptr) return {JobFate::State::Unknown, cupsLastErrorString()};
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(m_last.id);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                 cupsUser());
    ipp_t* response = cupsDoRequest(http, request, "/jobs/");
    JobFate fate{JobFate::State::Unknown, {}};
    if (response != nullptr) {
      ipp_attribute_t* state = ippFindAttribute(response, "job-state", IPP_TAG_ENUM);
      ipp_attribute_t* message =
          ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT);
      if (message != nullptr && ippGetString(message, 0, nullptr) != nullptr) {
        fate.reason = ippGetString(message, 0, nullptr);
      }
      switch (state != nullptr ? ippGetInteger(state, 0) : 0) {
        case IPP_JSTATE_COMPLETED:
          fate.state = JobFate::State::Delivered;
          break;
        case IPP_JSTATE_CANCELED:
        case IPP_JSTATE_ABORTED:
          fate.state = JobFate::State::Failed;
          if (fate.reason.empty()) fate.reason = "the job was stopped by the print service";
          break;
        case IPP_JSTATE_PENDING:
        case IPP_JSTATE_HELD:
        case IPP_JSTATE_PROCESSING:
        case IPP_JSTATE_STOPPED:
          fate.state = JobFate::State::Waiting;
          break;
        default:
          break;
      }
      ippDelete(response);
    } else {
      fate.reason = cupsLastErrorString();
    }
    httpClose(http);
    return fate;
  }

  std::vector<PrintQueue> Queues() override {
    std::vector<PrintQueue> queues;
    http_t* http = Connect();
    if (http == nullptr) return queues;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(http, &dests);
    for (int i = 0; i < count; ++i) {
      if (dests[i].instance != nullptr) continue;
      PrintQueue queue;
      queue.name = dests[i].name;
      queue.isDefault = dests[i].is_default != 0;
      queue.stopped = std::atoi(OptionOf(dests[i], "printer-state").c_str()) == kStoppedState;
      queue.accepting = OptionOf(dests[i], "printer-is-accepting-jobs") != "false";
      queue.message = OptionOf(dests[i], "printer-state-message");
      queues.push_back(std::move(queue));
    }
    cupsFreeDests(count, dests);
    httpClose(http);
    return queues;
  }

 private:
  struct Job {
    std::string queue;
    http_t* http = nullptr;
    int id = 0;
    bool stopped = false;
    bool accepting = true;
    bool documentOpen = false;
    bool writeFailed = false;
  };
  struct Fate {
    std::string queue;
    int id = 0;
    std::string failure;
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

  // Cancels a job that must not print, on a connection of its own (the job's may be broken).
  static void Withdraw(const Job& job) {
    if (job.id == 0) return;
    http_t* http = Connect();
    if (http == nullptr) return;
    cupsCancelJob2(http, job.queue.c_str(), job.id, 0);
    httpClose(http);
  }

  std::map<PrinterHandle, Job> m_jobs;
  PrinterHandle m_next = 1;
  std::string m_lastError;
  Fate m_last;
};

}  // namespace

std::unique_ptr<Spooler> MakeSystemSpooler() { return std::make_unique<CupsSpooler>(); }

}  // namespace tavrin
#endif
