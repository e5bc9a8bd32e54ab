#include "editor/vocabulary.h"

#include <cstdio>

namespace tavrin {

namespace {

// Format tags: replaced in place by their codes.
constexpr std::array<std::string_view, 21> kFormatTags = {
    "<Font5x8>",         "<Font5x7>",      "<Font6x7>",      "<Font4x7>",
    "<Font7x13>",        "<Bell 0.5Sec>",  "<Bell 1Sec>",    "<Bell 1.5Sec>",
    "<Bell 2Sec>",       "<Display Date>", "<Display Time>", "<Red>",
    "<Green>",           "<Orange>",       "<Inversed Red>", "<Inversed Green>",
    "<Inversed Orange>", "<Red On Green>", "<Green On Red>", "<RYG>",
    "<Rainbow>"};

constexpr std::array<std::string_view, 21> kFormatCodes = {
    "<AF>", "<AA>", "<AB>", "<AC>", "<AD>", "<BA>", "<BB>", "<BC>", "<BD>", "<KD>", "<KT>",
    "<CA>", "<CD>", "<CH>", "<CL>", "<CM>", "<CN>", "<CP>", "<CQ>", "<CR>", "<CS>"};

constexpr std::array<std::string_view, 18> kUpperEffectTags = {
    "<Immediate>",    "<Xopen>",   "<Curtain Up>", "<Curtain Down>", "<Scoll Left>",
    "<Scroll Right>", "<Vopen>",   "<Vclose>",     "<Scroll Up>",    "<Scroll Down>",
    "<Hold>",         "<Snow>",    "<Twinkle>",    "<Block Move>",   "<Random>",
    "<Hello World>",  "<Welcome>", "<Vardolux>"};

constexpr std::array<std::string_view, 18> kUpperEffectCodes = {
    "<FA>", "<FB>", "<FC>", "<FD>", "<FE>", "<FF>", "<FG>", "<FH>", "<FI>",
    "<FJ>", "<FK>", "<FL>", "<FM>", "<FN>", "<FP>", "<FQ>", "<FR>", "<FS>"};

constexpr std::array<std::string_view, 18> kLowerEffectTags = {"<immediate>",
                                                               "<xopen>",
                                                               "<curtain up>",
                                                               "<curtain down>",
                                                               "<scoll left>",
                                                               "<scroll right>",
                                                               "<vopen>",
                                                               "<vclose>",
                                                               "<scroll up>",
                                                               "<scroll down>",
                                                               "<hold>",
                                                               "<snow>",
                                                               "<twinkle>",
                                                               "<block move>",
                                                               "<random>",
                                                               "",
                                                               "",
                                                               ""};

constexpr std::array<std::string_view, 18> kLowerEffectCodes = {
    "<Fa>", "<Fb>", "<Fc>", "<Fd>", "<Fe>", "<Ff>", "<Fg>", "<Fh>", "<Fi>",
    "<Fj>", "<Fk>", "<Fl>", "<Fm>", "<Fn>", "<Fp>", "",     "",     ""};

constexpr std::array<std::string_view, 5> kModeTags = {"<Normal>", "<Blinking>", "<Song 1>",
                                                       "<Song 2>", "<Song 3>"};

constexpr std::array<std::string_view, 5> kModeCodes = {"<MA>", "<MB>", "<MC>", "<MD>", "<ME>"};

constexpr std::array<std::string_view, 26> kWaitTags = {
    "<0.5Sec>", "<1Sec>",  "<2Sec>",  "<3Sec>",  "<4Sec>",  "<5Sec>",  "<6Sec>",
    "<7Sec>",   "<8Sec>",  "<9Sec>",  "<10Sec>", "<11Sec>", "<12Sec>", "<13Sec>",
    "<14Sec>",  "<15Sec>", "<16Sec>", "<17Sec>", "<18Sec>", "<19Sec>", "<20Sec>",
    "<21Sec>",  "<22Sec>", "<23Sec>", "<24Sec>", "<25Sec>"};

constexpr std::array<std::string_view, 26> kWaitCodes = {
    "<WA>", "<WB>", "<WC>", "<WD>", "<WE>", "<WF>", "<WG>", "<WH>", "<WI>",
    "<WJ>", "<WK>", "<WL>", "<WM>", "<WN>", "<WO>", "<WP>", "<WQ>", "<WR>",
    "<WS>", "<WT>", "<WU>", "<WV>", "<WW>", "<WX>", "<WY>", "<WZ>"};

constexpr std::array<std::string_view, 4> kSpeedTags = {"<Speed 0>", "<Speed 1>", "<Speed 2>",
                                                        "<Speed 3>"};

constexpr std::array<std::string_view, 4> kSpeedCodes = {"0", "1", "2", "3"};

const SignCodeTable kTables[] = {
    {kFormatTags, kFormatCodes},
    {kUpperEffectTags, kUpperEffectCodes},
    {kLowerEffectTags, kLowerEffectCodes},
    {kModeTags, kModeCodes},
    {kWaitTags, kWaitCodes},
    {kSpeedTags, kSpeedCodes},
};

static_assert(kWaitTags.size() == kWaitTagCount && kSpeedTags.size() == kSpeedTagCount);

// The effect items of the two effect menus: designer names and captions by effect index.
constexpr std::string_view kEffectCaptions[] = {
    "Immediate",    "Xopen", "Curtain Up", "Curtain Down", "Scroll Left",
    "Scroll Right", "Vopen", "Vclose",     "Scroll Up",    "Scroll Down",
    "Hold",         "Snow",  "Twinkle",    "Block Move",   "Random"};
constexpr std::string_view kEffectNames[] = {
    "Immediate",   "Xopen", "CurtainUp", "CurtainDown", "ScrollLeft",
    "ScrollRight", "Vopen", "Vclose",    "ScrollUp",    "ScrollDown",
    "Hold",        "Snow",  "Twinkle",   "BlockMove",   "Random"};

template <std::size_t N>
struct EffectItems {
  std::array<std::string, N> names;
  std::array<TagMenuItem, N> items;
  // Leading effects are named "Immediate1"..., closing effects "Immediate2"...
  explicit EffectItems(char suffix) {
    for (std::size_t i = 0; i < N; ++i) {
      names[i] = std::string(kEffectNames[i]) + suffix;
      items[i] = {names[i], kEffectCaptions[i], kUpperEffectTags[i], kLowerEffectTags[i]};
    }
  }
};

const std::array<TagMenuItem, 2> kWelcomeItems = {{
    {"HelloWorld1", "Hello World", kUpperEffectTags[15]},
    {"Welcome3", "Welcome", kUpperEffectTags[16]},
}};

const std::array<TagMenuItem, 5> kDisplayEffectItems = {{
    {"Normal2", "Normal", kModeTags[0]},
    {"Blinking2", "Blinking", kModeTags[1]},
    {"Song12", "Song 1", kModeTags[2]},
    {"Song22", "Song 2", kModeTags[3]},
    {"Song32", "Song 3", kModeTags[4]},
}};

const std::array<TagMenuItem, 4> kBellItems = {{
    {"N05Sec2", "0.5 Sec", kFormatTags[5]},
    {"N1Sec2", "1 Sec", kFormatTags[6]},
    {"N15Sec2", "1.5 Sec", kFormatTags[7]},
    {"N13Sec2", "2 Sec", kFormatTags[8]},
}};

const std::array<TagMenuItem, 2> kSpecialItems = {{
    {"Date1", "Date", kFormatTags[9]},
    {"Time1", "Time", kFormatTags[10]},
}};

const std::array<TagMenuItem, 5> kFontItems = {{
    {"Font4x71", "Font 4x7", kFormatTags[3]},
    {"Font5x71", "Font 5x7", kFormatTags[1]},
    {"Font6x71", "Font 6x7", kFormatTags[2]},
    {"Font5x81", "Font 5x8", kFormatTags[0], {}, false},
    {"Font7x131", "Font 7x13", kFormatTags[4], {}, false},
}};

const std::array<TagMenuItem, 10> kColorItems = {{
    {"Red1", "Red", kFormatTags[11]},
    {"Green1", "Green", kFormatTags[12], {}, true, true},
    {"Orange1", "Orange", kFormatTags[13], {}, true, true},
    {"InversedRed1", "Inversed Red", kFormatTags[14]},
    {"InversedGreen1", "Inversed Green", kFormatTags[15], {}, true, true},
    {"InversedOrange1", "Inversed Orange", kFormatTags[16], {}, true, true},
    {"RedOnGreen1", "Red On Green", kFormatTags[17], {}, true, true},
    {"GreenonRed1", "Green On Red", kFormatTags[18], {}, true, true},
    {"RYG1", "RYG", kFormatTags[19], {}, true, true},
    {"Rainbow1", "Rainbow", kFormatTags[20], {}, true, true},
}};

}  // namespace

const SignCodeTable& Table(TagTable table) { return kTables[static_cast<int>(table)]; }

std::optional<std::size_t> Lookup(TagTable table, std::string_view tag) {
  if (tag.empty() || tag.front() != '<') return std::nullopt;
  const SignCodeTable& t = Table(table);
  for (std::size_t i = 0; i < t.tags.size(); ++i) {
    if (t.tags[i] == tag) return i;
  }
  return std::nullopt;
}

std::optional<std::string_view> SignCodeOf(TagTable table, std::string_view tag) {
  const std::optional<std::size_t> index = Lookup(table, tag);
  if (!index) return std::nullopt;
  return Table(table).codes[*index];
}

std::string ColumnTag(int column) {
  char tag[16];
  std::snprintf(tag, sizeof tag, "<COL %03d>", column);
  return tag;
}

std::optional<int> ColumnTagValue(std::string_view tag) {
  if (tag.size() != 9 || tag.substr(0, 5) != "<COL " || tag[8] != '>') return std::nullopt;
  int value = 0;
  for (std::size_t i = 5; i < 8; ++i) {
    if (tag[i] < '0' || tag[i] > '9') return std::nullopt;
    value = value * 10 + (tag[i] - '0');
  }
  if (value > 255) return std::nullopt;
  return value;
}

std::string ColumnSignCode(int column) {
  char code[8];
  std::snprintf(code, sizeof code, "<N%02X>", static_cast<unsigned>(column) & 0xFFu);
  return code;
}

std::string_view SpeedTag(int speed) {
  return kSpeedTags[static_cast<std::size_t>(speed < 0 ? 0 : speed > 3 ? 3 : speed)];
}

std::string GraphicTag(std::string_view name) {
  return std::string(kGraphicTagStart) + std::string(name) + ">";
}

bool IsGraphicTag(std::string_view tag) {
  return tag.size() >= kGraphicTagStart.size() + 1 &&
         tag.substr(0, kGraphicTagStart.size()) == kGraphicTagStart && tag.back() == '>';
}

std::string GraphicTagName(std::string_view tag) {
  if (!IsGraphicTag(tag)) return {};
  return std::string(tag.substr(kGraphicTagStart.size(), tag.size() - kGraphicTagStart.size() - 1));
}

bool IsEuropeanCharacterTag(std::string_view tag) {
  const auto upperHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
  return tag.size() == 5 && tag.substr(0, 2) == "<U" && upperHex(tag[2]) && upperHex(tag[3]) &&
         tag[4] == '>';
}

bool IsDisplayTag(std::string_view tag) {
  for (const TagTable table : {TagTable::Format, TagTable::UpperEffect, TagTable::LowerEffect,
                               TagTable::Mode, TagTable::Wait, TagTable::Speed}) {
    if (Lookup(table, tag)) return true;
  }
  return ColumnTagValue(tag).has_value() || IsGraphicTag(tag) || IsEuropeanCharacterTag(tag);
}

std::span<const TagMenuItem> TagMenuItems(TagMenu menu) {
  static const EffectItems<15> leading('1');
  static const EffectItems<11> closing('2');
  switch (menu) {
    case TagMenu::LeadingEffect:
      return leading.items;
    case TagMenu::Welcome:
      return kWelcomeItems;
    case TagMenu::DisplayEffect:
      return kDisplayEffectItems;
    case TagMenu::ClosingEffect:
      return closing.items;
    case TagMenu::Bell:
      return kBellItems;
    case TagMenu::SpecialFunction:
      return kSpecialItems;
    case TagMenu::Font:
      return kFontItems;
    case TagMenu::Color:
      return kColorItems;
  }
  return {};
}

}  // namespace tavrin
