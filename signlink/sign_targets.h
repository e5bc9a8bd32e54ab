#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "signlink/sign_jobs.h"
#include "signlink/sign_list.h"

namespace tavrin {

// What a sign behind a print queue gets of a command that goes there (only a sent message
// does): the plan for its ID as a print job prints it, and the work that prints it.
using QueueJobFor = std::function<SignJob(const NamedSign& sign)>;

// Said of a sign behind a print queue when the command is not one that goes there.
inline constexpr const char* kQueueSendsOnlyText =
    "a print queue carries messages one way: only Send Message goes to it";

// One job a sign, in the order given: the plan `planFor` makes for the sign's own ID, named
// after the sign for what is said of it. A sign behind a print queue gets `viaQueue`'s job, or
// without one a plan that refuses with kQueueSendsOnlyText.
std::vector<SignJob> JobsForSigns(const std::vector<NamedSign>& signs,
                                  const std::function<SignPlan(std::uint8_t id)>& planFor,
                                  const QueueJobFor& viaQueue = {});

// Why Set ID cannot go to the chosen signs, or nothing: the new ID reaches every sign on the
// line it is sent on, so it goes to one sign at a time, and never to one that shares its line
// with another sign of the list (the whole bus would take the new ID), nor through a print
// queue.
std::optional<std::string> SetIdTargetProblem(const std::vector<NamedSign>& chosen,
                                              const SignList& list);

}  // namespace tavrin
