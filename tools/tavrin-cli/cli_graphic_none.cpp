// The graphic conversions need QImage; a build without Qt (the Windows cross build) says so.
#include "tools/tavrin-cli/cli_graphic.h"

#include "tools/tavrin-cli/cli.h"

namespace tavrin::cli {

GraphicOutcome GraphicCommand(const std::vector<std::string>&, const std::filesystem::path&,
                              std::ostream&, std::ostream&) {
  return {kExitUsage, "graphic is not available in this build (it needs Qt)"};
}

void RecordSentCharacters(const std::filesystem::path&, const std::vector<UserFontRecord>&,
                          std::ostream&) {}

void RecallEuroPictures(const std::filesystem::path&) {}

GraphicOutcome PreviewCommand(const std::string&, const std::vector<std::string>&,
                              const std::filesystem::path&, std::ostream&, std::ostream&) {
  return {kExitUsage, "preview is not available in this build (it needs Qt and giflib)"};
}

}  // namespace tavrin::cli
