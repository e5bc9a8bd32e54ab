#include "signlink/sign_roads.h"

#include "signlink/link_factory.h"

namespace tavrin {

namespace {

// The link of a print queue's road: a queue is reached by print jobs, which run as the road's
// work, never through a link.
class NoLink : public SignLink {
 public:
  bool OpenLink(int, int) override {
    m_lastError = "a sign behind a print queue is reached by print jobs only";
    return false;
  }
  int ReadByte(std::uint8_t&) override { return 0; }
  bool Write(std::string_view, const WriteProgress&) override { return false; }
  void CloseLink() override {}
  bool IsOpen() const override { return false; }
};

LinkTarget TargetOf(const SignAddress& address) {
  switch (address.kind) {
    case SignAddress::Kind::Device:
      return {LinkTarget::Kind::Device, address.address};
    case SignAddress::Kind::Tcp:
      return {LinkTarget::Kind::Tcp, address.address};
    case SignAddress::Kind::Port:
    case SignAddress::Kind::Queue:
      break;
  }
  return {LinkTarget::Kind::Port, {}};
}

}  // namespace

SignRoads::SignRoads(const Settings& settings, Waiter* waiter)
    : SignRoads(
          [settings](const SignAddress& address) -> Result<std::unique_ptr<SignLink>> {
            if (address.kind == SignAddress::Kind::Queue) {
              return std::unique_ptr<SignLink>(std::make_unique<NoLink>());
            }
            return MakeLink(TargetOf(address), settings);
          },
          waiter) {}

SignRoads::SignRoads(LinkMaker makeLink, Waiter* waiter)
    : m_makeLink(std::move(makeLink)), m_waiter(waiter) {}

// Every road stops its command and its worker before its link goes.
SignRoads::~SignRoads() {
  for (auto& [key, entry] : m_roads) entry.road.reset();
}

Result<SignRoad*> SignRoads::RoadFor(const SignAddress& address) {
  const std::lock_guard lock(m_mutex);
  if (m_shared && address.kind == SignAddress::Kind::Port &&
      address.port == m_shared->PortNumber()) {
    return m_shared;
  }
  auto it = m_roads.find(address.LinkKey());
  if (it == m_roads.end()) {
    Result<std::unique_ptr<SignLink>> link = m_makeLink(address);
    if (!link) return link.TakeError();
    Entry entry;
    entry.link = std::move(*link);
    entry.road = std::make_unique<SignRoad>(*entry.link, m_waiter);
    for (const auto& observer : m_observers) entry.road->AddObserver(observer);
    it = m_roads.emplace(address.LinkKey(), std::move(entry)).first;
  }
  SignRoad* road = it->second.road.get();
  if (address.kind == SignAddress::Kind::Port) road->SetPortNumber(address.port);
  return road;
}

void SignRoads::AddObserver(std::shared_ptr<CommandEvents> observer) {
  const std::lock_guard lock(m_mutex);
  for (auto& [key, entry] : m_roads) entry.road->AddObserver(observer);
  m_observers.push_back(std::move(observer));
}

void SignRoads::ForEachRoad(const std::function<void(SignRoad&)>& visit) {
  const std::lock_guard lock(m_mutex);
  for (auto& [key, entry] : m_roads) visit(*entry.road);
}

}  // namespace tavrin
