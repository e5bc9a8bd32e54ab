#include "tools/virtual-sign/virtual_sign.h"

#include <gtest/gtest.h>

#include "functions/command_bodies.h"
#include "functions/message_frames.h"
#include "preview/preview.h"
#include "signlink/sign_frame.h"
#include "tests/support/scratch_folder.h"
#include "tools/virtual-sign/led_picture.h"
#include "tools/virtual-sign/sign_options.h"

namespace tavrin::vsign {
namespace {

using namespace std::chrono;

std::vector<std::string> Replies(const std::vector<FrameEvent>& events) {
  std::vector<std::string> replies;
  replies.reserve(events.size());
  for (const FrameEvent& e : events) replies.push_back(e.reply);
  return replies;
}

TEST(VirtualSignTest, AnswersWhatIsAddressedToIt) {
  VirtualSign sign(1, {});
  std::string bad = SignFrame(0x2A, "<RPA>");
  bad[bad.size() - 4] = '0';
  auto events =
      sign.Feed(SignFrame(1, "<RPA>") + SignFrame(2, "<RPB>") + SignFrame(0, "<RPC>") +
                SetIdFrame(0x2A) + SignFrame(0x2A, "<RPD>") + SignFrame(1, "<RPE>") + bad);
  auto idle = sign.Idle();
  events.insert(events.end(), idle.begin(), idle.end());
  EXPECT_EQ(Replies(events), (std::vector<std::string>{"ACK", "", "", "2A", "ACK", "", "NACK"}));
  EXPECT_FALSE(events[1].forUs);
  EXPECT_TRUE(events[2].applied);  // ID 00 is obeyed
  EXPECT_EQ(sign.State().id, 0x2A);
  EXPECT_EQ(sign.State().runningPage, 'D');
  EXPECT_EQ(sign.FramesActedOn(), 5);
}

TEST(VirtualSignTest, FaultsByFrameNumber) {
  FaultPlan faults;
  faults.refuse = {2};
  faults.silent = {3};
  faults.partial = {4};
  faults.garbage = {5};
  faults.dropAfter = 6;
  VirtualSign sign(1, faults);
  std::string stream;
  for (int i = 0; i < 6; ++i) stream += SignFrame(1, "<BB>");
  const auto events = sign.Feed(stream);
  EXPECT_EQ(Replies(events),
            (std::vector<std::string>{"ACK", "NACK", "", "AC", std::string(kGarbageReply), "ACK"}));
  EXPECT_FALSE(events[1].applied);
  EXPECT_FALSE(events[4].hangUp);
  EXPECT_TRUE(events[5].hangUp);

  // Faults apply to Set ID too: half an echo, and the sign keeps its ID.
  FaultPlan partial;
  partial.partial = {1};
  VirtualSign keeper(1, partial);
  EXPECT_EQ(Replies(keeper.Feed(SetIdFrame(0x2A))), std::vector<std::string>{"2"});
  EXPECT_EQ(keeper.State().id, 1);
}

// Two signs on one bus: each answers and keeps what is addressed to it, both obey ID 00, and
// a frame to nobody on the bus gets no answer.
TEST(VirtualSignTest, SignsOnOneBusAnswerTheirOwnFrames) {
  SignBus bus({0x01, 0x02}, {});
  const auto events = bus.Feed(SignFrame(2, "<RPB>") + SignFrame(1, "<RPA>") +
                               SignFrame(0, "<BD>") + SignFrame(3, "<RPC>"));
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].reply, "ACK");
  EXPECT_EQ(events[0].sign, 1u);
  EXPECT_EQ(events[1].reply, "ACK");
  EXPECT_EQ(events[1].sign, 0u);
  EXPECT_EQ(events[2].reply, "");
  EXPECT_EQ(events[3].reply, "");
  EXPECT_FALSE(events[3].event.forUs);
  EXPECT_EQ(bus.Sign(0).State().runningPage, 'A');
  EXPECT_EQ(bus.Sign(1).State().runningPage, 'B');
  EXPECT_EQ(bus.Sign(0).State().brightness, 25);  // "<BD>" to 00: both obey
  EXPECT_EQ(bus.Sign(1).State().brightness, 25);
  EXPECT_EQ(bus.Sign(0).FramesActedOn(), 2);
}

TEST(VirtualSignTest, DecodesAndKeepsEveryCommand) {
  VirtualSign sign(1, {});
  ScheduleList schedules;
  ASSERT_TRUE(schedules.Add({"05/12/08 08:00", "05/31/08 18:30", "ABC"}));
  const std::string block = "<GC2>" + std::string(64, '\xAA');
  const std::string character = std::string("<FA01>") + "\x70\x88\x88\xF8\x88\x88\x88" + '\0';
  std::string stream;
  for (const std::string& body :
       {std::string("<BE>"), std::string("<L1><PB><Fc><Ms><WK><Fe>Hi<GC1><GC2>"), block,
        std::string("<BF>"), ClockBody(2008y / May / 12d, "14:30:00"), BrightnessBody(2),
        RunPageBody('B'), ScheduleBody(0, schedules.Entries()[0]), LinkBody("xy"),
        DeleteScheduleBody(1), character, std::string("<L2><PB><FE><MA><WC><FE>low"),
        DeleteLineBody(1, 'B')}) {
    stream += SignFrame(1, body);
  }
  const auto events = sign.Feed(stream);
  ASSERT_EQ(events.size(), 13u);
  for (const FrameEvent& e : events) EXPECT_EQ(e.reply, "ACK") << e.frame.body;

  const Command& message = events[1].command;
  EXPECT_EQ(message.kind, Command::Kind::Message);
  EXPECT_EQ(message.message.modeCode, "<MC>");
  EXPECT_EQ(message.message.speedDigit, '0');
  EXPECT_EQ(LogLine(events[1]),
            "{\"seq\":2,\"address\":\"01\",\"body\":\"<L1><PB><Fc><Ms><WK><Fe>Hi<GC1><GC2>\","
            "\"checksum\":\"ok\",\"for_us\":true,\"reply\":\"ACK\",\"applied\":true,\"command\":{"
            "\"name\":\"message\",\"page\":\"B\",\"line\":1,\"entry\":\"<Fc>\",\"mode\":\"<MC>\","
            "\"speed\":\"0\",\"wait\":\"<WK>\",\"exit\":\"<Fe>\",\"text\":\"Hi<GC1><GC2>\"}}");
  EXPECT_NE(LogLine(events[4]).find("\"time\":\"14:30:00\""), std::string::npos);
  EXPECT_NE(LogLine(events[7]).find("\"start\":\"05/12/08 08:00\",\"end\":\"05/31/08 18:30\""),
            std::string::npos);

  const SignState& s = sign.State();
  EXPECT_EQ(s.graphics.at('C').at(2), std::string(64, '\xAA'));
  EXPECT_EQ(s.clock, "08020512143000");
  EXPECT_EQ(s.brightness, 50);
  EXPECT_EQ(s.runningPage, 'B');
  EXPECT_FALSE(s.schedules[0].has_value());  // linked, then deleted
  EXPECT_EQ(s.userCharacters.at({'A', 1}).size(), 8u);
  ASSERT_EQ(s.pages.count('B'), 1u);
  EXPECT_FALSE(s.pages.at('B')[0].has_value());
  EXPECT_EQ(s.pages.at('B')[1]->text, "low");

  sign.Feed(SignFrame(1, "<DU>") + SignFrame(1, "<D*>"));
  EXPECT_TRUE(sign.State().userCharacters.empty());
  EXPECT_TRUE(sign.State().pages.empty());
  EXPECT_TRUE(sign.State().graphics.empty());
}

TEST(LedPictureTest, DrawsTextGraphicsAndColours) {
  SignState state;
  // A block whose first column group is red on row 1 and green on row 2.
  std::string data(64, '\0');
  data[0] = '\xAA';
  data[1] = '\xAA';
  data[2] = '\x55';
  data[3] = '\x55';
  state.graphics['A'][1] = data;
  PageLine line;
  line.text =
      "I<CD>I<GA1><N50>"
      "<AA><Zz>";
  const LedPicture p = RenderLine(state, line, 128);
  EXPECT_EQ(p.rows[0].substr(0, 12), ".RRR...GGG..");
  EXPECT_EQ(p.rows[1].substr(0, 12), "..R.....G...");
  EXPECT_EQ(p.rows[0].substr(12, 9), "RRRRRRRR.");
  EXPECT_EQ(p.rows[1].substr(12, 9), "GGGGGGGG.");
  // "<N50>" moves to column 80; "<AA>" takes no room; "<Zz>" is drawn as text; the sign is
  // dark after it.
  EXPECT_EQ(p.rows[6].size(), 128u);
  EXPECT_GE(p.rows[6].find_last_not_of('.'), 80u + 3 * 6);
  EXPECT_LT(p.rows[6].find_last_not_of('.'), 80u + 4 * 6);
  EXPECT_EQ(p.rows[7], std::string(128, '.'));
  EXPECT_EQ(PictureText(p, false).substr(0, 12), ".RRR...GGG..");

  line.entryEffect = "<Fc>";
  line.exitEffect = "<FE>";
  line.modeCode = "<MB>";
  line.speedDigit = '1';
  line.waitCode = "<WK>";
  EXPECT_EQ(
      DescribeLine('C', 1, line),
      "page C line 1: enters curtain up, leaves Scoll Left, Blinking at speed 1, waits 10Sec");
}

// The sign shows a line as the preview says it will: a line wider than the sign that does not
// scroll in is cut at the sign's right edge, one that scrolls in from the right stands with its
// end there.
TEST(LedPictureTest, ShowsTheLineAsThePreviewOfItsWidth) {
  const testing::ScratchFolder home;
  const GraphicFolder graphics(home.Path());
  const std::string wide(23, 'W');  // 138 columns
  for (const std::string& typed :
       {"<Immediate>" + wide, "<Scoll Left>" + wide, std::string("Hi")}) {
    const Result<SendPlan> plan = PlanSend(graphics, typed, 'A', 1);
    ASSERT_TRUE(plan) << plan.ErrorText();
    VirtualSign sign(1, {});
    ASSERT_TRUE(sign.Feed(plan->messageFrame).front().applied);
    const PageLine& line = *sign.State().pages.at('A')[0];
    for (const int width : preview::kSignWidths) {
      const preview::LedFrame held =
          preview::MakePreview(typed, graphics, nullptr, width, 0).animation.hold.front().Frame();
      const LedPicture shown = RenderLine(sign.State(), line, width);
      SCOPED_TRACE(typed + " on " + std::to_string(width));
      ASSERT_EQ(shown.rows.size(), 8u);
      for (int y = 0; y < 8; ++y) {
        EXPECT_EQ(shown.rows[static_cast<std::size_t>(y)],
                  held.cells.substr(static_cast<std::size_t>(y * width),
                                    static_cast<std::size_t>(width)));
      }
    }
  }
}

TEST(SignOptionsTest, ReadsTheCommandLine) {
  SignOptions o;
  std::string error;
  ASSERT_TRUE(ParseSignOptions({"--pty", "--link", "/tmp/s", "--id", "0A", "--refuse", "1,3",
                                "--delay-ms", "20", "--drop-after", "4", "--log", "-", "--show"},
                               o, error))
      << error;
  EXPECT_EQ(o.ids, std::vector<std::uint8_t>{0x0A});
  SignOptions bus;
  ASSERT_TRUE(ParseSignOptions({"--pty", "--id", "01,02"}, bus, error)) << error;
  EXPECT_EQ(bus.ids, (std::vector<std::uint8_t>{1, 2}));
  EXPECT_EQ(o.faults.refuse, (std::set<int>{1, 3}));
  EXPECT_EQ(o.faults.dropAfter, 4);
  EXPECT_EQ(o.width, 128);  // the sign of the preview
  SignOptions narrow;
  ASSERT_TRUE(ParseSignOptions({"--tcp", "0", "--width", "96"}, narrow, error)) << error;
  EXPECT_EQ(narrow.width, 96);
  const std::pair<std::vector<std::string>, std::string> bad[] = {
      {{}, "give either --pty or --tcp PORT"},
      {{"--pty", "--tcp", "1"}, "give either --pty or --tcp PORT"},
      {{"--tcp", "70000"}, "bad value for --tcp: 70000"},
      {{"--pty", "--refuse", "0"}, "bad value for --refuse: 0"},
      {{"--pty", "--refuse", "1,,2"}, "bad value for --refuse: 1,,2"},
      {{"--tcp", "1", "--link", "x"}, "--link goes with --pty"},
      {{"--pty", "--id", "01,01"}, "bad value for --id: 01,01"},
      {{"--pty", "--id", "1,2"}, "bad value for --id: 1,2"},
      {{"--pty", "--id"}, "--id needs a value"},
      {{"--pty", "--width", "100"}, "bad value for --width: 100"},
      {{"--pty", "--x", "1"}, "unknown option --x"},
      // An unknown option is that, whether or not something follows it.
      {{"--pty", "--bogus"}, "unknown option --bogus"},
      {{"--pty", "extra"}, "unexpected argument extra"},
  };
  for (const auto& [args, problem] : bad) {
    SignOptions ignored;
    EXPECT_FALSE(ParseSignOptions(args, ignored, error)) << ::testing::PrintToString(args);
    EXPECT_EQ(error, problem) << ::testing::PrintToString(args);
  }
}

}  // namespace
}  // namespace tavrin::vsign
