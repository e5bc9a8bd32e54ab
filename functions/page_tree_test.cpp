#include "functions/page_tree.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(PageTreeTest, ChecksFollowTheirPages) {
  PageTree tree;
  tree.Toggle(2, 2);  // Page C, Line 2
  EXPECT_TRUE(tree.PageChecked(2));
  EXPECT_EQ(tree.LinesToDelete(), (std::vector<std::pair<char, int>>{{'C', 2}}));

  tree.Toggle(1, 0);  // Page B: both lines
  EXPECT_EQ(tree.LinesToDelete(),
            (std::vector<std::pair<char, int>>{{'B', 1}, {'B', 2}, {'C', 2}}));

  tree.Toggle(1, 1);  // unchecking line 1 leaves page B checked while line 2 is
  EXPECT_TRUE(tree.PageChecked(1));
  tree.Toggle(1, 2);
  EXPECT_FALSE(tree.PageChecked(1));

  tree.Toggle(2, 0);  // unchecking a page unchecks its lines
  EXPECT_FALSE(tree.LineChecked(2, 2));
  EXPECT_TRUE(tree.LinesToDelete().empty());
}

}  // namespace
}  // namespace tavrin
