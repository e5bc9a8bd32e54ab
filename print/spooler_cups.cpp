#ifndef _WIN32
// The spooler on Linux: CUPS, reached where libcups is told to (CUPS_SERVER, client.conf).
// Each job has its own connection, so a broken job leaves nothing shared behind.
#include <cups/cups.h>
#include <dlfcn.h>

#include <cstring>
#include <map>

#include "print/raw_print.h"

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

// libcups, loaded the first time a print queue is wanted rather than when the program
// starts: it brings a dozen libraries with it (TLS, Kerberos, Avahi) that every start of
// Tavrin would pay for in time and memory, though few users print.
struct CupsLibrary {
  decltype(&::cupsCancelJob2) cupsCancelJob2 = nullptr;
  decltype(&::cupsCreateJob) cupsCreateJob = nullptr;
  decltype(&::cupsDoRequest) cupsDoRequest = nullptr;
  decltype(&::cupsEncryption) cupsEncryption = nullptr;
  decltype(&::cupsFinishDocument) cupsFinishDocument = nullptr;
  decltype(&::cupsFreeDests) cupsFreeDests = nullptr;
  decltype(&::cupsGetDests2) cupsGetDests2 = nullptr;
  decltype(&::cupsGetNamedDest) cupsGetNamedDest = nullptr;
  decltype(&::cupsGetOption) cupsGetOption = nullptr;
  decltype(&::cupsLastErrorString) cupsLastErrorString = nullptr;
  decltype(&::cupsServer) cupsServer = nullptr;
  decltype(&::cupsStartDocument) cupsStartDocument = nullptr;
  decltype(&::cupsUser) cupsUser = nullptr;
  decltype(&::cupsWriteRequestData) cupsWriteRequestData = nullptr;
  decltype(&::httpClose) httpClose = nullptr;
  decltype(&::httpConnect2) httpConnect2 = nullptr;
  decltype(&::httpSetTimeout) httpSetTimeout = nullptr;
  decltype(&::ippAddString) ippAddString = nullptr;
  decltype(&::ippDelete) ippDelete = nullptr;
  decltype(&::ippFindAttribute) ippFindAttribute = nullptr;
  decltype(&::ippGetInteger) ippGetInteger = nullptr;
  decltype(&::ippGetString) ippGetString = nullptr;
  decltype(&::ippNewRequest) ippNewRequest = nullptr;
  decltype(&::ippPort) ippPort = nullptr;
  // Why it could not be loaded; empty when every function is there.
  std::string error;
};

template <class Function>
void Load(void* handle, const char* name, Function& into, std::string& error) {
  into = reinterpret_cast<Function>(::dlsym(handle, name));
  if (into == nullptr && error.empty()) error = std::string("libcups.so.2 has no ") + name;
}

const CupsLibrary& Cups() {
  static const CupsLibrary library = [] {
    CupsLibrary api;
    void* handle = ::dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* why = ::dlerror();
      api.error = std::string("the print service library libcups.so.2 cannot be loaded") +
                  (why != nullptr ? std::string(": ") + why : std::string());
      return api;
    }
    Load(handle, "cupsCancelJob2", api.cupsCancelJob2, api.error);
    Load(handle, "cupsCreateJob", api.cupsCreateJob, api.error);
    Load(handle, "cupsDoRequest", api.cupsDoRequest, api.error);
    Load(handle, "cupsEncryption", api.cupsEncryption, api.error);
    Load(handle, "cupsFinishDocument", api.cupsFinishDocument, api.error);
    Load(handle, "cupsFreeDests", api.cupsFreeDests, api.error);
    Load(handle, "cupsGetDests2", api.cupsGetDests2, api.error);
    Load(handle, "cupsGetNamedDest", api.cupsGetNamedDest, api.error);
    Load(handle, "cupsGetOption", api.cupsGetOption, api.error);
    Load(handle, "cupsLastErrorString", api.cupsLastErrorString, api.error);
    Load(handle, "cupsServer", api.cupsServer, api.error);
    Load(handle, "cupsStartDocument", api.cupsStartDocument, api.error);
    Load(handle, "cupsUser", api.cupsUser, api.error);
    Load(handle, "cupsWriteRequestData", api.cupsWriteRequestData, api.error);
    Load(handle, "httpClose", api.httpClose, api.error);
    Load(handle, "httpConnect2", api.httpConnect2, api.error);
    Load(handle, "httpSetTimeout", api.httpSetTimeout, api.error);
    Load(handle, "ippAddString", api.ippAddString, api.error);
    Load(handle, "ippDelete", api.ippDelete, api.error);
    Load(handle, "ippFindAttribute", api.ippFindAttribute, api.error);
    Load(handle, "ippGetInteger", api.ippGetInteger, api.error);
    Load(handle, "ippGetString", api.ippGetString, api.error);
    Load(handle, "ippNewRequest", api.ippNewRequest, api.error);
    Load(handle, "ippPort", api.ippPort, api.error);
    return api;
  }();
  return library;
}

// The functions of libcups are all there, or `error` says why not.
bool CupsLoaded(std::string& error) {
  if (!Cups().error.empty()) {
    error = Cups().error;
    return false;
  }
  return true;
}

http_t* Connect() {
  if (!Cups().error.empty()) return nullptr;
  http_t* http = Cups().httpConnect2(Cups().cupsServer(), Cups().ippPort(), nullptr, AF_UNSPEC,
                                     Cups().cupsEncryption(), 1, kConnectTimeoutMs, nullptr);
  if (http != nullptr) Cups().httpSetTimeout(http, kExchangeTimeoutSeconds, nullptr, nullptr);
  return http;
}

std::string OptionOf(const cups_dest_t& dest, const char* name) {
  const char* value = Cups().cupsGetOption(name, dest.num_options, dest.options);
  return value != nullptr ? value : "";
}

class CupsSpooler : public Spooler {
 public:
  ~CupsSpooler() override {
    for (auto& [handle, job] : m_jobs) Cups().httpClose(job.http);
  }

  bool OpenPrinter(const std::string& name, PrinterHandle& handle) override {
    if (!CouldNameAQueue(name)) {
      m_lastError = name.empty() ? "no printer is chosen" : "no queue can have that name";
      return false;
    }
    if (!CupsLoaded(m_lastError)) return false;
    http_t* http = Connect();
    if (http == nullptr) {
      m_lastError =
          std::string("the print service does not answer: ") + Cups().cupsLastErrorString();
      return false;
    }
    cups_dest_t* dest = Cups().cupsGetNamedDest(http, name.c_str(), nullptr);
    if (dest == nullptr) {
      m_lastError = "no queue named " + name;
      Cups().httpClose(http);
      return false;
    }
    Job job;
    job.queue = name;
    job.http = http;
    job.stopped = std::atoi(OptionOf(*dest, "printer-state").c_str()) == kStoppedState;
    job.accepting = OptionOf(*dest, "printer-is-accepting-jobs") != "false";
    Cups().cupsFreeDests(1, dest);
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
    job->id = Cups().cupsCreateJob(job->http, job->queue.c_str(), documentName.c_str(), 0, nullptr);
    if (job->id == 0) return Refuse(Cups().cupsLastErrorString());
    if (Cups().cupsStartDocument(job->http, job->queue.c_str(), job->id, documentName.c_str(),
                                 CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
      m_lastError = Cups().cupsLastErrorString();
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
    if (Cups().cupsWriteRequestData(job->http, bytes.data(), bytes.size()) !=
        HTTP_STATUS_CONTINUE) {
      m_lastError = Cups().cupsLastErrorString();
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
    if (Cups().cupsFinishDocument(job->http, job->queue.c_str()) > IPP_STATUS_OK_CONFLICTING) {
      m_last.failure = Cups().cupsLastErrorString();
      Withdraw(*job);
    }
  }

  void ClosePrinter(PrinterHandle handle) override {
    auto it = m_jobs.find(handle);
    if (it == m_jobs.end()) return;
    Cups().httpClose(it->second.http);
    m_jobs.erase(it);
  }

  std::string LastError() const override { return m_lastError; }

  JobFate LastJobFate() override {
    if (m_last.id == 0) return {};
    if (!m_last.failure.empty()) return {JobFate::State::Failed, m_last.failure};
    http_t* http = Connect();
    if (http == nullptr) return {JobFate::State::Unknown, Cups().cupsLastErrorString()};
    ipp_t* request = Cups().ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    const std::string uri = "ipp://localhost/jobs/" + std::to_string(m_last.id);
    Cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
    Cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
                        Cups().cupsUser());
    ipp_t* response = Cups().cupsDoRequest(http, request, "/jobs/");
    JobFate fate{JobFate::State::Unknown, {}};
    if (response != nullptr) {
      ipp_attribute_t* state = Cups().ippFindAttribute(response, "job-state", IPP_TAG_ENUM);
      ipp_attribute_t* message =
          Cups().ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT);
      if (message != nullptr && Cups().ippGetString(message, 0, nullptr) != nullptr) {
        fate.reason = Cups().ippGetString(message, 0, nullptr);
      }
      switch (state != nullptr ? Cups().ippGetInteger(state, 0) : 0) {
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
      Cups().ippDelete(response);
    } else {
      fate.reason = Cups().cupsLastErrorString();
    }
    Cups().httpClose(http);
    return fate;
  }

  std::vector<PrintQueue> Queues() override {
    std::vector<PrintQueue> queues;
    if (!CupsLoaded(m_lastError)) return queues;
    http_t* http = Connect();
    if (http == nullptr) return queues;
    cups_dest_t* dests = nullptr;
    const int count = Cups().cupsGetDests2(http, &dests);
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
    Cups().cupsFreeDests(count, dests);
    Cups().httpClose(http);
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
    Cups().cupsCancelJob2(http, job.queue.c_str(), job.id, 0);
    Cups().httpClose(http);
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
