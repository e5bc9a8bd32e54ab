// Saves one kind of file over and over, alternating two versions, until it is killed; the
// torn-file test kills it at random moments. With --once A|B it writes that version and ends.
//   torn_writer KIND FOLDER [--once A|B]
// KIND: message, settings, graphic, font, bitmap, european, log. Once the first version is
// whole on disk and a round of saves has been timed, it prints "ready MICROSECONDS", so that
// the killer knows the loop has begun and how long a round takes.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "common/file_io.h"
#include "common/profile.h"
#include "editor/message_rtf.h"
#include "fonts/euro_table_qt.h"
#include "fonts/user_font.h"
#include "graphics/bitmap_qt.h"
#include "graphics/graphic_file.h"
#include "graphics/text_render_qt.h"
#include "launcher/utility/btrace.h"

using namespace tavrin;
namespace fs = std::filesystem;

namespace {

bool Save(const std::string& kind, const fs::path& folder, bool second) {
  if (kind == "message") {
    std::vector<TextRun> runs{{"<Curtain Up>", true},
                              {std::string(second ? 60000 : 20000, second ? 'b' : 'a'), false}};
    return static_cast<bool>(
        WriteFileAtomically(folder / "message.tvr", WriteMessageRtf(runs, "CP1252")));
  }
  if (kind == "settings") {
    ProfileFile file(folder / "Tavrin.INI");
    return static_cast<bool>(
        file.WriteString("Sign", "comport", second ? std::string(3000, '2') : "1"));
  }
  if (kind == "graphic") {
    GraphicFolder graphics(folder);
    return static_cast<bool>(second ? graphics.Write("G01", GraphicRows(160, std::string(160, 'E')))
                                    : graphics.Write("G01", GraphicRows(7, std::string(32, 'A'))));
  }
  if (kind == "font") {
    FontList list;
    for (int code = 0x40; code <= (second ? 0x7F : 0x41); ++code) {
      for (const char* size : {"4x7", "5x7", "6x7"}) {
        const auto at = list.Add(code, size);
        if (at) list.At(*at).record.SetDot(1, 1, 4, true);
      }
    }
    return static_cast<bool>(WriteFontFile(folder / "font.fon", list));
  }
  if (kind == "bitmap") {
    RgbPicture picture;
    picture.width = second ? 128 : 32;
    picture.height = second ? 64 : 8;
    picture.pixels.assign(static_cast<std::size_t>(picture.width * picture.height),
                          second ? DisplayRgb{0, 255, 0} : DisplayRgb{255, 0, 0});
    return static_cast<bool>(WriteBitmap(folder / "picture.bmp", picture));
  }
  if (kind == "european") {
    QImage picture = BuiltInEuroTable();
    if (second) picture.fill(Qt::black);
    return static_cast<bool>(SaveEuroPicture(folder / "EuroCharForm58204.bmp", picture));
  }
  if (kind == "log") {
    launcher::TraceLog* log = launcher::TraceLog::Create();
    log->Open((folder / "~launchet.lg0").string().c_str());
    for (int i = 0; i < (second ? 40 : 3); ++i) log->LogMessage(__FILE__, __LINE__, "line %d", i);
    log->Close();
    log->Release();
    return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const std::string kind = argv[1];
  if (kind == "european") EnsureTextDrawing();  // the table draws its labels with fonts
  const fs::path folder = argv[2];
  if (argc == 5 && std::strcmp(argv[3], "--once") == 0) {
    return Save(kind, folder, argv[4][0] == 'B') ? 0 : 1;
  }
  // One round of saves (new, then old again) is timed, so that the test kills within a few
  // rounds however slow this build is.
  if (!Save(kind, folder, false)) return 1;
  const auto start = std::chrono::steady_clock::now();
  if (!Save(kind, folder, true) || !Save(kind, folder, false)) return 1;
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::steady_clock::now() - start);
  std::printf("ready %lld\n", static_cast<long long>(us.count()));
  std::fflush(stdout);
  for (bool second = true;; second = !second) Save(kind, folder, second);
}
