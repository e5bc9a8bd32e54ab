#include "tools/tavrin-cli/cli_graphic.h"

#include <QGuiApplication>
#include <ostream>

#include "fonts/euro_table_qt.h"
#include "graphics/bitmap_qt.h"
#include "graphics/graphic_editor.h"
#include "graphics/picture.h"
#include "tools/tavrin-cli/cli.h"

namespace tavrin::cli {

namespace {

// Text is drawn with QFont, which needs an application object; the command line makes one
// that shows nothing, the first time it draws.
void EnsureTextDrawing() {
  if (QCoreApplication::instance() != nullptr) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "tavrin-cli";
  static char* argv[] = {name, nullptr};
  static QGuiApplication* application = new QGuiApplication(argc, argv);
  (void)application;
}

bool ParseSize(const std::string& text, const auto& allowed, int& value) {
  for (const int a : allowed) {
    if (text == std::to_string(a)) {
      value = a;
      return true;
    }
  }
  return false;
}

GraphicOutcome Fail(std::ostream& err, const std::string& why) {
  err << "tavrin-cli: " << why << '\n';
  return {kExitFailed, {}};
}

}  // namespace

GraphicOutcome GraphicCommand(const std::vector<std::string>& args,
                              const std::filesystem::path& home, std::ostream& out,
                              std::ostream& err) {
  const GraphicFolder folder(home);
  const std::string verb = args.empty() ? "" : args[0];
  if (verb == "show" && args.size() == 2) {
    if (!IsGraphicName(args[1])) return {kExitUsage, "a graphic name is G01 to G16"};
    Result<GraphicRows> rows = folder.Read(args[1]);
    if (!rows) return Fail(err, rows.ErrorText());
    for (const std::string& row : *rows) out << row << '\n';
    return {};
  }
  if (verb == "export" && args.size() == 3) {
    if (!IsGraphicName(args[1])) return {kExitUsage, "a graphic name is G01 to G16"};
    Result<GraphicRows> rows = folder.Read(args[1]);
    if (!rows) return Fail(err, rows.ErrorText());
    if (Status s = WriteBitmap(args[2], PictureOfRows(*rows)); !s) return Fail(err, s.ErrorText());
    return {};
  }
  if (verb == "import" && args.size() == 7) {
    const std::string& file = args[1];
    const std::string& name = args[2];
    int width = 0, height = 0;
    bool sized = true;
    for (std::size_t i = 3; i + 1 < args.size(); i += 2) {
      if (args[i] == "--width") {
        sized = sized && ParseSize(args[i + 1], kGraphicWidths, width);
      } else if (args[i] == "--height") {
        sized = sized && ParseSize(args[i + 1], kGraphicHeights, height);
      } else {
        sized = false;
      }
    }
    if (!IsGraphicName(name)) return {kExitUsage, "a graphic name is G01 to G16"};
    if (!sized || width == 0 || height == 0) {
      return {kExitUsage, "import takes --width 32|64|96|120|128 and --height 7|8"};
    }
    Result<RgbPicture> picture = ReadBitmap(file);
    if (!picture) return Fail(err, picture.ErrorText());
    GraphicEditor editor;
    editor.SetWidth(width);
    editor.SetHeight(height);
    ImportPicture(editor, *picture);
    if (Status s = folder.Write(name, editor.Rows()); !s) return Fail(err, s.ErrorText());
    return {};
  }
  return {kExitUsage,
          "graphic takes: show NAME | export NAME FILE.bmp | "
          "import FILE.bmp NAME --width W --height H"};
}

void RecordSentCharacters(const std::filesystem::path& home,
                          const std::vector<UserFontRecord>& sent, std::ostream& err) {
  EnsureTextDrawing();
  if (Status s = RecordTransferredCharacters(home, sent); !s) {
    err << "tavrin-cli: " << s.ErrorText() << '\n';
  }
}

void RecallEuroPictures(const std::filesystem::path& home) {
  EnsureTextDrawing();
  StartingEuroPicture(home);  // makes the default picture when it is missing
  RecallDefaultEuroPicture(home);
}

}  // namespace tavrin::cli
