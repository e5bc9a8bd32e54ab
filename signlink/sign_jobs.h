#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "signlink/sign_list.h"
#include "signlink/sign_road.h"
#include "signlink/sign_roads.h"

namespace tavrin {

// One sign's part of a command for several signs: the plan made for its ID, and the work that
// reaches it when that is not the plan's frames over its link (a print job for a sign behind a
// print queue).
struct SignJob {
  std::string name;  // the sign's, for what is said of it
  SignAddress address;
  SignPlan plan;
  SignRoad::Work work;
};

struct SignJobResult {
  std::string name;
  PlanResult result;
  std::chrono::milliseconds took{};
};

// Starts every job on the road of its sign's link and returns at once: the signs of one link
// go one after another with nothing between them (a bus), different links at the same time.
// `listener(i)` hears job i (it may give nothing). For each job: nothing when it started, or
// how it ended without starting: Busy when another command held its road, PortError when its
// link cannot be made (with the reason).
std::vector<std::optional<PlanResult>> StartJobs(
    SignRoads& roads, std::vector<SignJob> jobs,
    const std::function<std::shared_ptr<CommandEvents>(std::size_t)>& listener);

// Runs the jobs as StartJobs does and waits for them all (tavrin-cli, the service, tests).
std::vector<SignJobResult> RunJobs(SignRoads& roads, std::vector<SignJob> jobs);

// What is said of one sign's part: "Shop window: done in 0.5 s", "Door: failed: no answer
// within 3.3 s to frame 2 of 3".
std::string SignJobLine(const SignJobResult& job);

// The worst of the outcomes, for an exit code: a refusal or silence over a success, a port
// that did not open over a refusal.
SignOutcome WorstOutcome(const std::vector<SignJobResult>& jobs);

}  // namespace tavrin
