#include "signlink/sign_book.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "common/bytes.h"
#include "signlink/sign_roads.h"
#include "signlink/sign_targets.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_link.h"

namespace tavrin {
namespace {

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

NamedSign Sign(const char* name, const char* address, std::uint8_t id) {
  return {name, *ParseSignAddress(address), id, true, 128};
}

// A list edited by hand keeps what the user wrote: the file as it was goes to the .bak before
// the first change is written over it, and only then.
TEST(SignBookTest, AFileWithBadLinesIsCopiedBeforeItIsWrittenOver) {
  testing::ScratchFolder home;
  const std::string byHand =
      "Shop window = COM1, 01, 3, 128\r\n"
      "Counter = COM1, 2, 3, 128\r\n"  // an ID of one digit
      "Door = sign.local:4001, 0A";    // cut short
  home.Put("Tavrin.signs", byHand);
  SignBook book(home.Path());
  ASSERT_EQ(book.Problems().size(), 2u);
  EXPECT_EQ(book.Signs().size(), 1u);
  EXPECT_TRUE(book.Backup().empty());
  int told = 0;
  const int listener = book.Listen([&] { ++told; });

  // A refused change writes nothing, not even the copy.
  EXPECT_FALSE(book.Add(Sign("SHOP WINDOW", "COM2", 2)));
  EXPECT_FALSE(std::filesystem::exists(home.Path() / "Tavrin.signs.bak"));
  EXPECT_EQ(FileText(home.Path() / "Tavrin.signs"), byHand);
  EXPECT_EQ(told, 0);

  ASSERT_TRUE(book.Add(Sign("Counter", "COM1", 2)));
  EXPECT_EQ(FileText(home.Path() / "Tavrin.signs.bak"), byHand);
  EXPECT_EQ(book.Backup(), home.Path() / "Tavrin.signs.bak");
  EXPECT_TRUE(book.Problems().empty());
  EXPECT_EQ(told, 1);
  const SignListRead written = ReadSignList(home.Path());
  EXPECT_TRUE(written.problems.empty());
  EXPECT_EQ(written.list.Signs(), book.Signs());

  // The copy is of the user's file, not of what the program wrote after it.
  ASSERT_TRUE(book.ChangeId("counter", 0x22));
  ASSERT_TRUE(book.Remove("Shop window"));
  EXPECT_EQ(FileText(home.Path() / "Tavrin.signs.bak"), byHand);
  EXPECT_EQ(ReadSignList(home.Path()).list.Signs(),
            (std::vector<NamedSign>{Sign("Counter", "COM1", 0x22)}));
  EXPECT_EQ(told, 3);
  book.Forget(listener);
  ASSERT_TRUE(book.Remove("Counter"));
  EXPECT_EQ(told, 3);

  // A good file is written over without a copy.
  testing::ScratchFolder clean;
  clean.Put("Tavrin.signs", "Door = COM2, 02, 1, 96\r\n");
  SignBook good(clean.Path());
  ASSERT_TRUE(good.Add(Sign("Hall", "COM3", 3)));
  EXPECT_FALSE(std::filesystem::exists(clean.Path() / "Tavrin.signs.bak"));
}

TEST(SignBookTest, FieldsOfTheForm) {
  Result<NamedSign> sign = SignFromFields("  Shop window ", "com3", "0a", false, 96);
  ASSERT_TRUE(sign) << sign.ErrorText();
  EXPECT_EQ(*sign, (NamedSign{"Shop window", *ParseSignAddress("COM3"), 0x0A, false, 96}));
  EXPECT_EQ(SignFromFields("Door", "queue:signq", "FF", true, 160)->address.kind,
            SignAddress::Kind::Queue);
  const struct {
    const char *name, *address, *id;
    int width;
    const char* field;
  } bad[] = {{"", "COM1", "01", 128, "Name: "},        {"Door", "fax", "01", 128, "Address: "},
             {"Door", "COM0", "01", 128, "Address: "}, {"Door", "COM1", "1", 128, "ID: "},
             {"Door", "COM1", "100", 128, "ID: "},     {"Door", "COM1", "G1", 128, "ID: "},
             {"Door", "COM1", "01", 100, "Width: "}};
  for (const auto& row : bad) {
    Result<NamedSign> refused = SignFromFields(row.name, row.address, row.id, true, row.width);
    ASSERT_FALSE(refused) << row.name << row.address << row.id;
    EXPECT_EQ(refused.ErrorText().rfind(row.field, 0), 0u) << refused.ErrorText();
  }
}

TEST(SignBookTest, SetIdGoesToOneSignAloneOnItsLine) {
  SignList list;
  ASSERT_TRUE(list.Add(Sign("Shop", "COM1", 1)));
  ASSERT_TRUE(list.Add(Sign("Counter", "com1", 2)));
  ASSERT_TRUE(list.Add(Sign("Door", "/dev/ttyUSB0", 3)));
  ASSERT_TRUE(list.Add(Sign("Print", "queue:signq", 4)));
  EXPECT_FALSE(SetIdTargetProblem({*list.Find("Door")}, list));
  EXPECT_TRUE(SetIdTargetProblem({}, list));
  EXPECT_TRUE(SetIdTargetProblem({*list.Find("Door"), *list.Find("Shop")}, list));
  EXPECT_TRUE(SetIdTargetProblem({*list.Find("Print")}, list));
  const std::optional<std::string> bus = SetIdTargetProblem({*list.Find("Counter")}, list);
  ASSERT_TRUE(bus);
  EXPECT_NE(bus->find("Counter shares COM1 with Shop"), std::string::npos) << *bus;
}

// Each sign gets the plan for its own ID; a print queue only what goes there.
TEST(SignBookTest, JobsForSigns) {
  const std::vector<NamedSign> signs = {Sign("Shop", "COM1", 1), Sign("Print", "queue:q", 4),
                                        Sign("Door", "COM2", 0x0A)};
  const auto planFor = [](std::uint8_t id) {
    SignPlan plan;
    PlanStep step;
    step.frame = "to " + HexByte(id);
    plan.steps.push_back(step);
    plan.summary = "Run Page";
    return plan;
  };
  std::vector<SignJob> jobs = JobsForSigns(signs, planFor);
  ASSERT_EQ(jobs.size(), 3u);
  EXPECT_EQ(jobs[0].plan.Frames(), std::vector<std::string>{"to 01"});
  EXPECT_EQ(jobs[0].plan.summary, "Shop: Run Page");
  EXPECT_EQ(jobs[2].plan.Frames(), std::vector<std::string>{"to 0A"});
  ASSERT_TRUE(jobs[1].plan.refusal);
  EXPECT_EQ(jobs[1].plan.refusal->text, kQueueSendsOnlyText);
  EXPECT_EQ(jobs[1].name, "Print");

  jobs = JobsForSigns(signs, planFor, [](const NamedSign& sign) {
    SignJob job;
    PlanStep step;
    step.frame = "printed " + HexByte(sign.id);
    job.plan.steps.push_back(step);
    return job;
  });
  EXPECT_EQ(jobs[1].plan.Frames(), std::vector<std::string>{"printed 04"});
  EXPECT_EQ(jobs[1].address.kind, SignAddress::Kind::Queue);
}

// A named sign on the port of the settings takes the main window's road: one port, one road.
TEST(SignBookTest, ThePortOfTheSettingsHasOneRoad) {
  testing::ScriptedLink mainLink;
  SignRoad mainRoad(mainLink);
  mainRoad.SetPortNumber(3);
  int linksMade = 0;
  SignRoads roads([&](const SignAddress&) -> Result<std::unique_ptr<SignLink>> {
    ++linksMade;
    return std::unique_ptr<SignLink>(std::make_unique<testing::ScriptedLink>());
  });
  roads.ShareRoad(&mainRoad);
  EXPECT_EQ(*roads.RoadFor(*ParseSignAddress("COM3")), &mainRoad);
  SignRoad* four = *roads.RoadFor(*ParseSignAddress("COM4"));
  EXPECT_NE(four, &mainRoad);
  EXPECT_EQ(four->PortNumber(), 4);
  EXPECT_EQ(linksMade, 1);
  // The settings' port changed: the road follows it.
  mainRoad.SetPortNumber(4);
  EXPECT_EQ(*roads.RoadFor(*ParseSignAddress("COM4")), &mainRoad);
  EXPECT_NE(*roads.RoadFor(*ParseSignAddress("COM3")), &mainRoad);
  EXPECT_EQ(mainRoad.PortNumber(), 4);
  int visited = 0;
  roads.ForEachRoad([&](SignRoad& road) {
    EXPECT_NE(&road, &mainRoad);
    ++visited;
  });
  EXPECT_EQ(visited, 2);
}

}  // namespace
}  // namespace tavrin
