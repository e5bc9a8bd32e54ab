#include "signlink/sign_jobs.h"

#include <algorithm>
#include <condition_variable>
#include <map>
#include <mutex>

namespace tavrin {

std::vector<std::optional<PlanResult>> StartJobs(
    SignRoads& roads, std::vector<SignJob> jobs,
    const std::function<std::shared_ptr<CommandEvents>(std::size_t)>& listener) {
  std::vector<std::optional<PlanResult>> ended(jobs.size());
  // The jobs of each road, in their order.
  std::map<SignRoad*, std::vector<std::size_t>> byRoad;
  std::vector<SignRoad*> order;
  for (std::size_t i = 0; i < jobs.size(); ++i) {
    Result<SignRoad*> road = roads.RoadFor(jobs[i].address);
    if (!road) {
      PlanResult none{SignOutcome::PortError, 0, road.ErrorText(), {}, {}};
      none.reason = road.ErrorText();
      ended[i] = none;
      continue;
    }
    if (byRoad.find(*road) == byRoad.end()) order.push_back(*road);
    byRoad[*road].push_back(i);
  }
  for (SignRoad* road : order) {
    std::vector<SignRoad::Command> commands;
    for (const std::size_t i : byRoad[road]) {
      commands.push_back({std::move(jobs[i].plan), std::move(jobs[i].work), listener(i)});
    }
    if (!road->StartAll(std::move(commands))) {
      for (const std::size_t i : byRoad[road]) {
        PlanResult busy{SignOutcome::Busy, 0, {}, {}, {}};
        busy.reason = "another command is talking to the sign";
        ended[i] = busy;
      }
    }
  }
  return ended;
}

namespace {

// Gathers the ends of the jobs that started, for a caller that waits for them all.
class Gathering {
 public:
  explicit Gathering(std::vector<SignJobResult>& results)
      : m_results(results), m_heard(results.size(), false) {}

  std::shared_ptr<CommandEvents> For(std::size_t i) {
    struct Ending : CommandEvents {
      Gathering* gathering;
      std::size_t index;
      void Finished(const SignPlan&, const PlanResult& r, std::chrono::milliseconds t) override {
        gathering->End(index, r, t);
      }
    };
    auto ending = std::make_shared<Ending>();
    ending->gathering = this;
    ending->index = i;
    const std::lock_guard lock(m_mutex);
    ++m_waiting;
    m_heard[i] = true;
    return ending;
  }
  // A job that ended without starting: its listener, if one was made, will hear nothing.
  void NotStarted(std::size_t i) {
    const std::lock_guard lock(m_mutex);
    if (m_heard[i]) --m_waiting;
  }
  void Wait() {
    std::unique_lock lock(m_mutex);
    m_done.wait(lock, [&] { return m_waiting == 0; });
  }

 private:
  void End(std::size_t i, const PlanResult& r, std::chrono::milliseconds t) {
    const std::lock_guard lock(m_mutex);
    m_results[i].result = r;
    m_results[i].took = t;
    --m_waiting;
    m_done.notify_all();
  }

  std::vector<SignJobResult>& m_results;
  std::vector<bool> m_heard;
  std::mutex m_mutex;
  std::condition_variable m_done;
  int m_waiting = 0;
};

}  // namespace

std::vector<SignJobResult> RunJobs(SignRoads& roads, std::vector<SignJob> jobs) {
  std::vector<SignJobResult> results(jobs.size());
  for (std::size_t i = 0; i < jobs.size(); ++i) results[i].name = jobs[i].name;
  Gathering gathering(results);
  const std::vector<std::optional<PlanResult>> ended =
      StartJobs(roads, std::move(jobs), [&](std::size_t i) { return gathering.For(i); });
  for (std::size_t i = 0; i < ended.size(); ++i) {
    if (!ended[i]) continue;
    results[i].result = *ended[i];
    gathering.NotStarted(i);
  }
  gathering.Wait();
  return results;
}

std::string SignJobLine(const SignJobResult& job) {
  SignPlan named;
  named.summary = job.name;
  const std::string line = StatusLine(named, job.result, job.took);
  return line.empty() ? job.name + ": not sent: " + job.result.reason : line;
}

SignOutcome WorstOutcome(const std::vector<SignJobResult>& jobs) {
  // From the best to the worst.
  static constexpr SignOutcome kRank[] = {
      SignOutcome::Accepted,  SignOutcome::Over,    SignOutcome::Cancelled,
      SignOutcome::Stopped,   SignOutcome::Refused, SignOutcome::Busy,
      SignOutcome::FileError, SignOutcome::Invalid, SignOutcome::PortError};
  const auto rank = [](SignOutcome o) {
    return std::find(std::begin(kRank), std::end(kRank), o) - std::begin(kRank);
  };
  SignOutcome worst = SignOutcome::Accepted;
  for (const SignJobResult& job : jobs) {
    if (rank(job.result.outcome) > rank(worst)) worst = job.result.outcome;
  }
  return worst;
}

}  // namespace tavrin
