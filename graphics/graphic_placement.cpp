#include "graphics/graphic_placement.h"

#include <set>

namespace tavrin {

std::string_view PlacementMessage(PlacementVerdict verdict) {
  switch (verdict) {
    case PlacementVerdict::NoSelection:
      return "Select a graphic name";
    case PlacementVerdict::TooMany:
      return "Graphic Number greater than 16";
    case PlacementVerdict::TooTallForLine2:
      return "Graphic is too large to insert into Line2";
    case PlacementVerdict::Insert:
      break;
  }
  return {};
}

PlacementVerdict CheckPlacement(std::string_view name, int rows, std::string_view line1,
                                std::string_view line2, bool line2Active) {
  if (name.empty()) return PlacementVerdict::NoSelection;
  // Every tag is looked at for the name itself; of the others no more than seventeen are
  // kept, which is all the count needs.
  std::set<std::string_view> names;
  bool present = false;
  auto collect = [&](std::string_view found) {
    if (found == name) {
      present = true;
      return false;
    }
    if (names.size() <= kMaxGraphicsInMessage) names.insert(found);
    return true;
  };
  ForEachPlacedGraphic(line1, collect);
  if (!present) ForEachPlacedGraphic(line2, collect);
  if (!present && static_cast<int>(names.size()) + 1 > kMaxGraphicsInMessage) {
    return PlacementVerdict::TooMany;
  }
  if (rows > 8 && line2Active) return PlacementVerdict::TooTallForLine2;
  return PlacementVerdict::Insert;
}

std::string PlacementTag(std::string_view name) { return "<Pic:" + std::string(name) + ">"; }

}  // namespace tavrin
