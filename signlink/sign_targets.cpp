#include "signlink/sign_targets.h"

namespace tavrin {

std::vector<SignJob> JobsForSigns(const std::vector<NamedSign>& signs,
                                  const std::function<SignPlan(std::uint8_t id)>& planFor,
                                  const QueueJobFor& viaQueue) {
  std::vector<SignJob> jobs;
  for (const NamedSign& sign : signs) {
    SignJob job;
    if (sign.address.kind == SignAddress::Kind::Queue) {
      if (viaQueue) {
        job = viaQueue(sign);
      } else {
        job.plan = SignPlan::Refuse(NoticeText::Failure(kQueueSendsOnlyText), SignOutcome::Invalid);
      }
    } else {
      job.plan = planFor(sign.id);
    }
    job.name = sign.name;
    job.address = sign.address;
    job.plan.summary = job.plan.summary.empty() ? sign.name : sign.name + ": " + job.plan.summary;
    jobs.push_back(std::move(job));
  }
  return jobs;
}

std::optional<std::string> SetIdTargetProblem(const std::vector<NamedSign>& chosen,
                                              const SignList& list) {
  if (chosen.size() != 1) return "Set ID goes to one sign at a time: choose one sign.";
  const NamedSign& sign = chosen.front();
  if (sign.address.kind == SignAddress::Kind::Queue) {
    return sign.name +
           " is behind a print queue, which carries messages one way: only Send "
           "Message goes to it.";
  }
  for (const NamedSign& other : list.Signs()) {
    if (other.name != sign.name && other.address.LinkKey() == sign.address.LinkKey()) {
      return "Set ID reaches every sign on its line, and " + sign.name + " shares " +
             sign.address.Text() + " with " + other.name +
             ": the new ID would go to both. Give it its new ID on a line of its own.";
    }
  }
  return std::nullopt;
}

}  // namespace tavrin
