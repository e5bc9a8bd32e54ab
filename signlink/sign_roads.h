#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "common/result.h"
#include "common/settings.h"
#include "signlink/sign_list.h"
#include "signlink/sign_road.h"

namespace tavrin {

// The roads of a program, one a link: signs on one link (several IDs on one bus) share its
// road and take turns, one command at a time; signs on different links have roads of their
// own and work at the same time. A road is made the first time its link is wanted and kept.
// Safe to use from several threads.
class SignRoads {
 public:
  // Makes the link of an address (a test gives its own); the settings say what a port opens.
  using LinkMaker = std::function<Result<std::unique_ptr<SignLink>>(const SignAddress&)>;

  explicit SignRoads(const Settings& settings, Waiter* waiter = nullptr);
  SignRoads(LinkMaker makeLink, Waiter* waiter = nullptr);
  ~SignRoads();
  SignRoads(const SignRoads&) = delete;
  SignRoads& operator=(const SignRoads&) = delete;

  // The road of the address's link, its port number set for a port; an address whose link
  // cannot be made says why. A print queue has a road too, with no link: a command reaches
  // it as a print job (SignRoad::StartWork), and one job at a time goes to each queue.
  Result<SignRoad*> RoadFor(const SignAddress& address);

  // Every road made so far (for a caller that waits for them all, or stops them); the shared
  // road is not among them.
  void ForEachRoad(const std::function<void(SignRoad&)>& visit);

  // A road of the caller's (not owned), for the port of its port number: a port address of
  // that number, as it is when asked, goes to it rather than to a second road on the same
  // port (the main window's road, on the port of the settings). Set before the first RoadFor.
  void ShareRoad(SignRoad* road) { m_shared = road; }
  // Hears every command of every road made here, those made later included (the shared road
  // has observers of its own).
  void AddObserver(std::shared_ptr<CommandEvents> observer);

 private:
  struct Entry {
    std::unique_ptr<SignLink> link;
    std::unique_ptr<SignRoad> road;
  };
  LinkMaker m_makeLink;
  Waiter* m_waiter;
  std::mutex m_mutex;
  std::map<std::string, Entry> m_roads;  // by the address's link key
  SignRoad* m_shared = nullptr;
  std::vector<std::shared_ptr<CommandEvents>> m_observers;
};

}  // namespace tavrin
