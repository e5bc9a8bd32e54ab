#include "service/sign_service.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "editor/vocabulary.h"
#include "functions/sign_plans.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_link.h"
#include "tests/support/scripted_spooler.h"
#include "tests/support/wait_qt.h"

namespace tavrin {
namespace {

using testing::ScratchFolder;
using testing::ScriptedLink;

class NoWaiter : public Waiter {
 public:
  void WaitMs(int) override {}
};

using testing::WaitFor;

NamedSign Named(std::string name, std::string device, std::uint8_t id) {
  NamedSign sign;
  sign.name = std::move(name);
  sign.address = {SignAddress::Kind::Device, 1, std::move(device)};
  sign.id = id;
  return sign;
}

// A spooler that leaves what it was asked behind when the job is done with it.
struct KeptSpooler : testing::ScriptedSpooler {
  ~KeptSpooler() override { kept->push_back(calls); }
  std::vector<std::vector<std::string>>* kept = nullptr;
};

// A service over scripted links, one a device path, with waits that take no time.
class Service {
 public:
  Service(
      const ScratchFolder& home, std::vector<NamedSign> signs, DeskOptions desk = {},
      const std::function<std::string()>& reply = [] { return std::string("ACK"); }) {
    auto roads = std::make_unique<SignRoads>(
        [this, reply](const SignAddress& address) -> Result<std::unique_ptr<SignLink>> {
          auto link = std::make_unique<ScriptedLink>(
              [reply](std::size_t, std::string_view) { return reply(); });
          links[address.address] = link.get();
          return std::unique_ptr<SignLink>(std::move(link));
        },
        &m_waiter);
    SignService::Options options;
    options.desk = desk;
    service =
        std::make_unique<SignService>(home.Path(), std::move(signs), options, std::move(roads));
    service->SetSpoolerMaker([this] {
      auto spooler = std::make_unique<KeptSpooler>();
      spooler->kept = &printJobs;
      return std::unique_ptr<Spooler>(std::move(spooler));
    });
    QObject::connect(service.get(), &SignService::logLine,
                     [this](const QString& line) { log.push_back(line.toStdString()); });
    service->Start();
  }
  bool Settle(int ms = 5000) {
    return WaitFor([&] { return service->Idle(); }, ms);
  }
  std::vector<std::string> Writes(const std::string& device) const {
    const auto it = links.find(device);
    return it == links.end() ? std::vector<std::string>() : it->second->Writes();
  }

  std::unique_ptr<SignService> service;
  std::map<std::string, ScriptedLink*> links;
  std::vector<std::vector<std::string>> printJobs;  // the calls of each spooler, once it is gone
  std::vector<std::string> log;

 private:
  NoWaiter m_waiter;
};

MessageRequest Message(std::string text, std::optional<char> page = {}) {
  return {std::move(text), page, MessagePriority::Normal, {}};
}

TEST(SignServiceTest, AMessageGoesAsTheWindowSendsItAndTheSameOneNotAgain) {
  ScratchFolder home;
  const GraphicFolder graphics(home.Path());
  ASSERT_TRUE(graphics.Write("G01", GraphicRows(7, std::string(32, 'D'))));
  Service s(home, {Named("Door", "/dev/door", 0x02), Named("Yard", "/dev/yard", 0x03)});
  ASSERT_TRUE(s.service->PostMessage("Door", Message("<Red>Caf\xC3\xA9<Pic:G01>", 'C')).Ok());
  ASSERT_TRUE(s.service->PostCommand("Yard", {CommandKind::Brightness, 2, 'A'}).Ok());
  ASSERT_TRUE(s.Settle());
  EXPECT_EQ(s.Writes("/dev/door"),
            PlanSendMessage(graphics, "<Red>Caf\xE9<Pic:G01>", 'C', 0x02).Frames());
  EXPECT_EQ(s.Writes("/dev/yard"), PlanSetBrightness(0x03, 2).Frames());
  // The same frames again: the sign has them, nothing goes.
  ASSERT_TRUE(s.service->PostMessage("Door", Message("<Red>Caf\xC3\xA9<Pic:G01>", 'C')).Ok());
  ASSERT_TRUE(s.Settle());
  EXPECT_EQ(s.Writes("/dev/door").size(), 4u);
  const std::optional<SignState> door = s.service->Sign("Door");
  ASSERT_TRUE(door);
  EXPECT_EQ(door->text, "<Red>Caf\xC3\xA9<Pic:G01>");
  EXPECT_EQ(door->page, 'C');
  EXPECT_TRUE(door->online);
  EXPECT_EQ(door->lastResult.substr(0, 35), "Send Message to sign 02, page C, 1 ");
}

TEST(SignServiceTest, RequestsTheSignWouldMisreadAreRefusedAtOnce) {
  ScratchFolder home;
  NamedSign till = Named("Till", "", 0x01);
  till.address = {SignAddress::Kind::Queue, 1, "signq"};
  Service s(home, {Named("Door", "/dev/door", 0x02), till});
  const struct {
    std::string sign;
    MessageRequest message;
    DeskAnswer::Kind kind;
    std::string reason;
  } rows[] = {
      {"Gate", Message("x"), DeskAnswer::Kind::UnknownSign, "no sign named Gate"},
      {"Door", Message("<Blink>"), DeskAnswer::Kind::BadRequest, "the tag <Blink>"},
      {"Door", Message(std::string(211, 'x')), DeskAnswer::Kind::BadRequest, "211 characters"},
      {"Door", Message("<Pic:G07>"), DeskAnswer::Kind::BadRequest, "G07"},
      {"Door", Message(""), DeskAnswer::Kind::BadRequest, "No Message To Send"},
      {"Till", {"x", {}, MessagePriority::Urgent, 5}, DeskAnswer::Kind::BadRequest, "print queue"},
  };
  for (const auto& row : rows) {
    const DeskAnswer answer = s.service->PostMessage(row.sign, row.message);
    EXPECT_EQ(answer.kind, row.kind) << row.message.text;
    EXPECT_NE(answer.reason.find(row.reason), std::string::npos) << answer.reason;
  }
  EXPECT_EQ(s.service->PostCommand("Till", {}).kind, DeskAnswer::Kind::BadRequest);
  ASSERT_TRUE(s.Settle());
  EXPECT_TRUE(s.Writes("/dev/door").empty());
  // A sign behind a print queue gets a message as one raw job.
  ASSERT_TRUE(s.service->PostMessage("Till", Message("Hi")).Ok());
  ASSERT_TRUE(s.Settle());
  ASSERT_TRUE(WaitFor([&] { return s.printJobs.size() == 1; }));
  EXPECT_EQ(s.printJobs[0].front(), "open signq");
}

TEST(SignServiceTest, AStopWritesTheStateThatWaitedToBeWritten) {
  ScratchFolder home;
  {
    Service s(home, {Named("Door", "/dev/door", 0x02)});
    ASSERT_TRUE(s.service->PostMessage("Door", Message("Bye")).Ok());
    ASSERT_TRUE(s.Settle());
  }  // stopped at once, before the pause before writing had passed
  Service again(home, {Named("Door", "/dev/door", 0x02)});
  ASSERT_TRUE(again.service->PostMessage("Door", Message("Bye")).Ok());
  ASSERT_TRUE(again.Settle());
  EXPECT_TRUE(again.Writes("/dev/door").empty());
}

TEST(SignServiceTest, ARestartSendsNothingThatDidNotChange) {
  ScratchFolder home;
  {
    Service s(home, {Named("Door", "/dev/door", 0x02)});
    ASSERT_TRUE(s.service->PostMessage("Door", Message("Hello {mqtt:q/n}")).Ok());
    s.service->SetFieldValue("q/n", "42");
    ASSERT_TRUE(s.Settle());
    ASSERT_FALSE(s.Writes("/dev/door").empty());
    // Written soon after the send, not only when the service stops (a crash keeps it too).
    EXPECT_TRUE(
        WaitFor([&] { return std::filesystem::exists(home.Path() / "Tavrin.service-state"); },
                20 * SignService::kStateSavePauseMs));
  }
  Service again(home, {Named("Door", "/dev/door", 0x02)});
  // The page and the field's value came back from the state file: drawn again, the same.
  EXPECT_EQ(again.service->Sign("Door")->text, "Hello {mqtt:q/n}");
  EXPECT_EQ(again.service->FieldTopics(), std::vector<std::string>{"q/n"});
  ASSERT_TRUE(again.service->PostMessage("Door", Message("Hello {mqtt:q/n}")).Ok());
  ASSERT_TRUE(again.Settle());
  EXPECT_TRUE(again.Writes("/dev/door").empty());
  ASSERT_TRUE(again.service->PostMessage("Door", Message("Hello again")).Ok());
  ASSERT_TRUE(again.Settle());
  EXPECT_EQ(again.Writes("/dev/door").size(), 3u);

  // A state file spoiled by hand: said in the log, and every page is sent anew.
  home.Put("Tavrin.service-state", "{ not json");
  Service spoiled(home, {Named("Door", "/dev/door", 0x02)});
  ASSERT_FALSE(spoiled.log.empty());
  EXPECT_NE(spoiled.log[0].find("not a state file"), std::string::npos);
  ASSERT_TRUE(spoiled.service->PostMessage("Door", Message("Hello again")).Ok());
  ASSERT_TRUE(spoiled.Settle());
  EXPECT_EQ(spoiled.Writes("/dev/door").size(), 3u);
}

TEST(SignServiceTest, FieldsThatChangeAreDrawnAndSentAgain) {
  ScratchFolder home;
  DeskOptions desk;
  desk.refreshSeconds = 1;
  Service s(home, {Named("Door", "/dev/door", 0x02)}, desk);
  ASSERT_TRUE(s.service->PostMessage("Door", Message("Queue {mqtt:q/n}")).Ok());
  ASSERT_TRUE(s.Settle());
  s.service->SetFieldValue("q/n", "<Clear>41");  // no tag comes in through a value
  ASSERT_TRUE(WaitFor([&] { return s.Writes("/dev/door").size() == 6; }));
  EXPECT_EQ(s.Writes("/dev/door")[4],
            PlanSendMessage(GraphicFolder(home.Path()), "Queue (Clear)41", 'A', 2).Frames()[1]);
  s.service->SetFieldValue("q/n", "<Clear>41");
  s.service->SetFieldValue("q/n", "42");
  s.service->SetFieldValue("q/n", "43");
  // At most once per refresh time, with the value of the moment.
  ASSERT_TRUE(WaitFor([&] { return s.Writes("/dev/door").size() == 9; }, 4000));
  EXPECT_NE(s.Writes("/dev/door")[7].find("Queue 43"), std::string::npos);
  ASSERT_TRUE(s.Settle());
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  QCoreApplication::processEvents();
  EXPECT_EQ(s.Writes("/dev/door").size(), 9u);
}

TEST(SignServiceTest, ASilentSignGoesOfflineAndComesBackOnline) {
  ScratchFolder home;
  DeskOptions desk;
  desk.retryMinSeconds = 1;
  auto answering = std::make_shared<std::atomic<bool>>(false);
  Service s(home, {Named("Door", "/dev/door", 0x02)}, desk,
            [answering] { return std::string(*answering ? "ACK" : ""); });
  ASSERT_TRUE(s.service->PostMessage("Door", Message("Hello")).Ok());
  ASSERT_TRUE(WaitFor([&] { return !s.service->Sign("Door")->online; }));
  EXPECT_NE(s.service->Sign("Door")->lastError.find("no answer"), std::string::npos);
  const std::size_t tried = s.Writes("/dev/door").size();
  *answering = true;
  ASSERT_TRUE(WaitFor([&] { return s.service->Sign("Door")->online; }, 4000));
  ASSERT_TRUE(s.Settle());
  // Tried again whole: "<BE>", the message, "<BF>".
  const std::vector<std::string> writes = s.Writes("/dev/door");
  ASSERT_EQ(writes.size(), tried + 3);
  EXPECT_EQ(writes[tried + 1],
            PlanSendMessage(GraphicFolder(home.Path()), "Hello", 'A', 2).Frames()[1]);
  EXPECT_EQ(s.service->Sign("Door")->lastError, "");
}

TEST(SignServiceTest, AnUrgentMessageRunsItsPageThenTheNormalPageRunsAgain) {
  ScratchFolder home;
  Service s(home, {Named("Door", "/dev/door", 0x02)});
  ASSERT_TRUE(s.service->PostMessage("Door", Message("Menu", 'C')).Ok());
  ASSERT_TRUE(s.service->PostMessage("Door", {"Fire", {}, MessagePriority::Urgent, 1}).Ok());
  ASSERT_TRUE(WaitFor([&] { return s.Writes("/dev/door").size() >= 7; }));
  std::vector<std::string> writes = s.Writes("/dev/door");
  // Whichever went first, the urgent page was sent and run at once.
  const auto at = std::find(writes.begin(), writes.end(), PlanRunPage(2, 'Z').Frames()[0]);
  ASSERT_NE(at, writes.end());
  EXPECT_NE((at - 2)->find("<PZ>"), std::string::npos);
  EXPECT_TRUE(s.service->Sign("Door")->urgent);
  ASSERT_TRUE(WaitFor([&] { return s.Writes("/dev/door").size() == 8; }, 4000));
  EXPECT_EQ(s.Writes("/dev/door").back(), PlanRunPage(2, 'C').Frames()[0]);
  EXPECT_FALSE(s.service->Sign("Door")->urgent);
}

}  // namespace
}  // namespace tavrin

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
