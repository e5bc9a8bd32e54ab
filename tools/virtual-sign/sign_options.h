#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "preview/line_renderer.h"
#include "tools/virtual-sign/virtual_sign.h"

namespace tavrin::vsign {

struct SignOptions {
  bool pty = false;
  std::string link;                     // --link: a symbolic link to the pty
  std::optional<int> tcpPort;           // --tcp PORT (0: any free port)
  std::vector<std::uint8_t> ids = {1};  // --id: one sign, or several on one bus
  std::string logPath;                  // "-" for stdout
  bool show = false;
  int width = preview::kSignWidths[0];  // --width: the sign's columns
  FaultPlan faults;
  std::optional<int> exitAfter;
};

inline constexpr const char* kSignUsage =
    "usage: virtual-sign (--pty [--link PATH] | --tcp PORT) [--id HH[,HH...]] [--log FILE|-]\n"
    "                    [--show]\n"
    "                    [--width 128|96|160]\n"
    "                    [--refuse N,...] [--silent N,...] [--partial N,...] [--garbage N,...]\n"
    "                    [--delay-ms D] [--drop-after N] [--exit-after N]\n"
    "       virtual-sign -h | --help | --version\n"
    "  --pty          make a pseudo-terminal and print its path as the first line\n"
    "  --link PATH    also make PATH a symbolic link to it\n"
    "  --tcp PORT     listen on 127.0.0.1:PORT (0: any) and print HOST:PORT as the first line\n"
    "  --id HH        the sign's ID (default 01); several, HH,HH,..., are signs on one bus:\n"
    "                 each answers the frames addressed to it (and takes those to 00)\n"
    "  --log FILE     one JSON object a line for every frame; - for stdout\n"
    "  --show         draw the page after each message or graphic transfer\n"
    "  --width W      the sign's width in columns: 128 (default), 96 or 160; --show draws a\n"
    "                 line as wide as that, cut at the right edge as the sign cuts it\n"
    "  --refuse, --silent, --partial, --garbage N,...\n"
    "                 answer NACK, nothing, AC, or junk to the Nth frame for this sign\n"
    "  --delay-ms D   wait D ms before every answer\n"
    "  --drop-after N hang up after N frames for this sign\n"
    "  --exit-after N stop after N frames\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n";

// Reads the command line (without the program name), -h, --help and --version apart; an error
// says in one line what is wrong ("unknown option --x", "--id needs a value").
bool ParseSignOptions(const std::vector<std::string>& args, SignOptions& options,
                      std::string& error);

}  // namespace tavrin::vsign
