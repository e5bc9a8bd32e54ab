#include "tools/virtual-sign/sign_options.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "common/bytes.h"

namespace tavrin::vsign {

namespace {

bool ParseCount(const std::string& text, int& value) {
  if (text.empty() || text.size() > 9 ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  value = std::stoi(text);
  return true;
}

bool ParseList(const std::string& text, std::set<int>& values) {
  std::size_t from = 0;
  while (from <= text.size()) {
    const std::size_t comma = std::min(text.find(',', from), text.size());
    int value = 0;
    if (!ParseCount(text.substr(from, comma - from), value) || value < 1) return false;
    values.insert(value);
    from = comma + 1;
  }
  return true;
}

}  // namespace

bool ParseSignOptions(const std::vector<std::string>& args, SignOptions& o, std::string& error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    const std::string value = hasValue ? args[i + 1] : std::string();
    int number = 0;
    bool ok = true;
    if (a == "--pty") {
      o.pty = true;
      continue;
    }
    if (a == "--show") {
      o.show = true;
      continue;
    }
    static constexpr std::string_view kTakingValues[] = {
        "--link",   "--tcp",     "--id",      "--width",    "--log",        "--refuse",
        "--silent", "--partial", "--garbage", "--delay-ms", "--drop-after", "--exit-after"};
    if (std::find(std::begin(kTakingValues), std::end(kTakingValues), a) ==
        std::end(kTakingValues)) {
      error = a.starts_with("-") ? "unknown option " + a : "unexpected argument " + a;
      return false;
    }
    if (!hasValue) {
      error = a + " needs a value";
      return false;
    }
    if (a == "--link") {
      o.link = value;
    } else if (a == "--tcp") {
      ok = ParseCount(value, number) && number <= 65535;
      o.tcpPort = number;
    } else if (a == "--id") {
      o.ids.clear();
      std::size_t from = 0;
      while (ok && from <= value.size()) {
        const std::size_t comma = std::min(value.find(',', from), value.size());
        std::uint8_t id = 0;
        ok = comma - from == 2 && ParseHexByte(value.substr(from, 2), id) &&
             std::find(o.ids.begin(), o.ids.end(), id) == o.ids.end();
        o.ids.push_back(id);
        from = comma + 1;
      }
    } else if (a == "--width") {
      ok = ParseCount(value, o.width) &&
           std::find(std::begin(preview::kSignWidths), std::end(preview::kSignWidths), o.width) !=
               std::end(preview::kSignWidths);
    } else if (a == "--log") {
      o.logPath = value;
    } else if (a == "--refuse") {
      ok = ParseList(value, o.faults.refuse);
    } else if (a == "--silent") {
      ok = ParseList(value, o.faults.silent);
    } else if (a == "--partial") {
      ok = ParseList(value, o.faults.partial);
    } else if (a == "--garbage") {
      ok = ParseList(value, o.faults.garbage);
    } else if (a == "--delay-ms") {
      ok = ParseCount(value, o.faults.delayMs);
    } else if (a == "--drop-after") {
      ok = ParseCount(value, number) && number >= 1;
      o.faults.dropAfter = number;
    } else {  // --exit-after
      ok = ParseCount(value, number) && number >= 1;
      o.exitAfter = number;
    }
    if (!ok) {
      error = "bad value for " + a + ": " + value;
      return false;
    }
    ++i;
  }
  if (o.pty == o.tcpPort.has_value()) {
    error = "give either --pty or --tcp PORT";
    return false;
  }
  if (!o.link.empty() && !o.pty) {
    error = "--link goes with --pty";
    return false;
  }
  return true;
}

}  // namespace tavrin::vsign
