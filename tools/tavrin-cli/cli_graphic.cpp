#include "tools/tavrin-cli/cli_graphic.h"

#include <ostream>

#include "common/utf8_path.h"
#include "fonts/euro_table_qt.h"
#include "graphics/bitmap_qt.h"
#include "graphics/graphic_editor.h"
#include "graphics/picture.h"
#include "graphics/text_render_qt.h"
#include "preview/animation_gif.h"
#include "preview/animation_png_qt.h"
#include "preview/preview.h"
#include "tools/tavrin-cli/cli.h"

namespace tavrin::cli {

namespace {

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
    if (Status s = WriteBitmap(PathFromUtf8(args[2]), PictureOfRows(*rows)); !s) {
      return Fail(err, s.ErrorText());
    }
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
    Result<RgbPicture> picture = ReadBitmap(PathFromUtf8(file));
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

GraphicOutcome PreviewCommand(const std::string& signText, const std::vector<std::string>& options,
                              const std::filesystem::path& home, std::ostream& out,
                              std::ostream& err) {
  int width = preview::kSignWidths[0];
  std::string gif, png, fontFile;
  bool single = false;
  for (std::size_t i = 0; i < options.size(); ++i) {
    const std::string& o = options[i];
    const bool hasValue = i + 1 < options.size();
    if (o == "--width" && hasValue && ParseSize(options[i + 1], preview::kSignWidths, width)) {
      ++i;
    } else if (o == "--gif" && hasValue) {
      gif = options[++i];
    } else if (o == "--png" && hasValue) {
      png = options[++i];
    } else if (o == "--font" && hasValue) {
      fontFile = options[++i];
    } else if (o == "--single-colour") {
      single = true;
    } else {
      return {kExitUsage,
              "preview takes TEXT [--width 128|96|160] [--font FILE.fon] [--gif FILE] "
              "[--png DIR] [--single-colour]"};
    }
  }
  std::optional<FontList> font;
  if (!fontFile.empty()) {
    Result<FontList> read = ReadFontFile(PathFromUtf8(fontFile));
    if (!read) {
      err << "tavrin-cli: " << fontFile << ":" << read.ErrorText() << '\n';
      return {kExitFailed, {}};
    }
    font = std::move(*read);
  }
  const GraphicFolder graphics(home);
  const preview::Preview p =
      preview::MakePreview(signText, graphics, font ? &*font : nullptr, width, std::time(nullptr));
  for (const std::string& warning : p.warnings) err << "warning: " << warning << '\n';
  const std::vector<preview::Shown> frames = p.animation.All();
  if (gif.empty() && png.empty()) {
    out << p.animation.hold.front().Frame().Text();
    return {kExitOk, {}};
  }
  // The time said is what was written: a GIF holds its delays in hundredths of a second.
  int writtenMs = p.animation.TotalMs();
  if (!gif.empty()) {
    const Result<int> held = preview::WriteAnimatedGif(PathFromUtf8(gif), frames, !single);
    if (!held) {
      err << "tavrin-cli: " << held.ErrorText() << '\n';
      return {kExitFailed, {}};
    }
    writtenMs = *held;
  }
  if (!png.empty()) {
    if (Status s = preview::WritePngFrames(PathFromUtf8(png), frames, !single); !s) {
      err << "tavrin-cli: " << s.ErrorText() << '\n';
      return {kExitFailed, {}};
    }
  }
  out << frames.size() << " pictures, " << writtenMs << " ms\n";
  return {kExitOk, {}};
}

}  // namespace tavrin::cli
