#include "service/sign_desk.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using std::chrono::seconds;

MessageRequest Normal(std::string text, std::optional<char> page = {}) {
  return {std::move(text), page, MessagePriority::Normal, {}};
}
MessageRequest Urgent(std::string text, int ttl) {
  return {std::move(text), {}, MessagePriority::Urgent, ttl};
}

// Takes the next job at `now` and says what it is: "message A hello", "run Z", ...
std::string Take(SignDesk& desk, DeskTime now) {
  const DeskJob* job = desk.Next(now);
  if (job == nullptr) return "nothing";
  std::string what;
  switch (job->kind) {
    case DeskJob::Kind::Message:
      what = std::string(job->urgent ? "urgent " : "message ") + job->page + " " + job->text;
      break;
    case DeskJob::Kind::Refresh:
      what = std::string("refresh ") + job->page;
      break;
    case DeskJob::Kind::Command:
      what = "command " + std::to_string(static_cast<int>(job->command.kind));
      break;
    case DeskJob::Kind::RunPage:
      what = std::string("run ") + job->page;
      break;
  }
  desk.Begin(now);
  return what;
}

TEST(SignDeskTest, OneAtATimeANewerMessageForAPageReplacesTheWaitingOne) {
  SignDesk desk;
  const DeskTime t{};
  ASSERT_TRUE(desk.Post(Normal("one")).Ok());
  ASSERT_TRUE(desk.Post(CommandRequest{}).Ok());
  ASSERT_TRUE(desk.Post(Normal("two")).Ok());  // replaces "one", in its place
  ASSERT_TRUE(desk.Post(Normal("b", 'B')).Ok());
  EXPECT_EQ(Take(desk, t), "message A two");
  EXPECT_EQ(Take(desk, t), "nothing");           // one job at a time
  ASSERT_TRUE(desk.Post(Normal("three")).Ok());  // the one under way is not replaced
  desk.Finished(t, true, false, "done", "d2");
  EXPECT_EQ(Take(desk, t), "command 0");
  desk.Finished(t, true, false, "done");
  EXPECT_EQ(Take(desk, t), "message B b");
  desk.Finished(t, true, false, "done", "db");
  EXPECT_EQ(Take(desk, t), "message A three");
  desk.Finished(t, true, false, "done", "d3");
  EXPECT_EQ(desk.SentDigest('A'), "d3");
  EXPECT_EQ(desk.SentDigest('B'), "db");
  EXPECT_EQ(desk.Pages().at('A'), "three");
}

TEST(SignDeskTest, AFloodOfMessagesStaysOneAndAFloodOfCommandsIsRefused) {
  SignDesk desk;
  for (int i = 0; i < 10000; ++i) ASSERT_TRUE(desk.Post(Normal(std::to_string(i))).Ok());
  EXPECT_EQ(desk.Waiting(), 1u);
  EXPECT_EQ(Take(desk, DeskTime{}), "message A 9999");
  int refused = 0;
  for (int i = 0; i < 100; ++i)
    refused += desk.Post(CommandRequest{}).kind == DeskAnswer::Kind::TooMany;
  EXPECT_EQ(refused, 100 - static_cast<int>(desk.Options().maxWaiting));
  // A message for a page of its own still finds no room.
  EXPECT_EQ(desk.Post(Normal("x", 'Q')).kind, DeskAnswer::Kind::TooMany);
}

TEST(SignDeskTest, AnUrgentMessageGoesFirstRunsAndGivesWayAfterItsTime) {
  SignDesk desk;
  DeskTime t{};
  ASSERT_TRUE(desk.Post(Normal("menu", 'C')).Ok());
  EXPECT_EQ(Take(desk, t), "message C menu");
  desk.Finished(t, true, false, "done", "c");
  ASSERT_TRUE(desk.Post(CommandRequest{}).Ok());
  ASSERT_TRUE(desk.Post(Urgent("fire", 30)).Ok());
  ASSERT_TRUE(desk.Post(Urgent("FIRE", 30)).Ok());  // replaces the waiting one
  EXPECT_EQ(Take(desk, t), "urgent Z FIRE");
  t += seconds(1);
  desk.Finished(t, true, false, "done", "z");
  EXPECT_TRUE(desk.UrgentShown());
  EXPECT_EQ(Take(desk, t), "run Z");
  desk.Finished(t, true, false, "done");
  EXPECT_EQ(Take(desk, t), "command 0");
  desk.Finished(t, true, false, "done");
  EXPECT_EQ(desk.NextWake(), t + seconds(30));
  desk.Tick(t + seconds(29));
  EXPECT_EQ(Take(desk, t + seconds(29)), "nothing");
  desk.Tick(t + seconds(30));
  EXPECT_FALSE(desk.UrgentShown());
  // The page of the last normal message runs again.
  EXPECT_EQ(Take(desk, t + seconds(30)), "run C");

  // The same urgent message again sends nothing, but is run and times out as before.
  desk.Finished(t + seconds(30), true, false, "done");
  ASSERT_TRUE(desk.Post(Urgent("FIRE", 5)).Ok());
  EXPECT_EQ(Take(desk, t + seconds(31)), "urgent Z FIRE");
  desk.Unchanged(t + seconds(31), "unchanged");
  EXPECT_EQ(Take(desk, t + seconds(31)), "run Z");
  EXPECT_EQ(desk.NextWake(), t + seconds(36));
}

TEST(SignDeskTest, ASilentSignIsTriedAgainWithBackOffAndComesBackOnline) {
  SignDesk desk;  // 5 s doubling to 300 s
  DeskTime t{};
  ASSERT_TRUE(desk.Post(Normal("hello")).Ok());
  const int waits[] = {5, 10, 20, 40, 80, 160, 300, 300};
  for (const int wait : waits) {
    EXPECT_EQ(Take(desk, t), "message A hello");
    desk.Finished(t, false, true, "no answer");
    EXPECT_FALSE(desk.Online());
    EXPECT_EQ(Take(desk, t + seconds(wait) - std::chrono::milliseconds(1)), "nothing");
    EXPECT_EQ(desk.NextWake(), t + seconds(wait));
    t += seconds(wait);
  }
  // Meanwhile a newer message for the page replaces the one that keeps failing.
  EXPECT_EQ(Take(desk, t), "message A hello");
  ASSERT_TRUE(desk.Post(Normal("newer")).Ok());
  desk.Finished(t, false, true, "no answer");
  t += seconds(300);
  EXPECT_EQ(Take(desk, t), "message A newer");
  desk.Finished(t, true, false, "done", "n");
  EXPECT_TRUE(desk.Online());
  // The back-off starts again from its least.
  ASSERT_TRUE(desk.Post(CommandRequest{}).Ok());
  EXPECT_EQ(Take(desk, t), "command 0");
  desk.Finished(t, false, true, "no answer");
  EXPECT_EQ(desk.NextWake(), t + seconds(5));
  // A refusal is an answer: the sign is there, the job is dropped, nothing is tried again.
  t += seconds(5);
  EXPECT_EQ(Take(desk, t), "command 0");
  desk.Finished(t, false, false, "refused");
  EXPECT_TRUE(desk.Online());
  EXPECT_EQ(Take(desk, t), "nothing");
  EXPECT_EQ(desk.NextWake(), std::nullopt);
}

TEST(SignDeskTest, FieldsThatChangeAreSentAgainAtMostOncePerRefreshTime) {
  DeskOptions options;
  options.refreshSeconds = 10;
  SignDesk desk(options);
  DeskTime t{};
  desk.FieldsChanged('A', t);  // no message on A: nothing to refresh
  EXPECT_EQ(desk.Waiting(), 0u);
  ASSERT_TRUE(desk.Post(Normal("{time:HH:mm:ss}")).Ok());
  EXPECT_EQ(Take(desk, t), "message A {time:HH:mm:ss}");
  desk.Finished(t, true, false, "done", "1");
  for (int s = 1; s < 10; ++s) desk.FieldsChanged('A', t + seconds(s));
  EXPECT_EQ(desk.Waiting(), 1u);
  EXPECT_EQ(Take(desk, t + seconds(9)), "nothing");
  EXPECT_EQ(desk.NextWake(), t + seconds(10));
  // Other work does not wait behind a refresh whose time has not come.
  ASSERT_TRUE(desk.Post(CommandRequest{}).Ok());
  EXPECT_EQ(Take(desk, t + seconds(9)), "command 0");
  desk.Finished(t + seconds(9), true, false, "done");
  EXPECT_EQ(Take(desk, t + seconds(10)), "refresh A");
  desk.Unchanged(t + seconds(10), "unchanged");
  // A message posted for the page goes at once, refresh or not.
  desk.FieldsChanged('A', t + seconds(11));
  ASSERT_TRUE(desk.Post(Normal("now {time:}")).Ok());
  EXPECT_EQ(Take(desk, t + seconds(11)), "message A now {time:}");
}

TEST(SignDeskTest, DigestsAreStable) {
  EXPECT_EQ(FramesDigest(""), "cbf29ce484222325");
  EXPECT_EQ(FramesDigest("a"), "af63dc4c8601ec8c");
  EXPECT_NE(FramesDigest("<ID01><RPA>41<E>"), FramesDigest("<ID01><RPB>42<E>"));
}

}  // namespace
}  // namespace tavrin
