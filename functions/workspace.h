#pragma once

#include <filesystem>

#include "fonts/user_font.h"
#include "functions/schedule_list.h"
#include "graphics/graphic_file.h"
#include "signlink/sign_book.h"

namespace tavrin {

// What sign commands send, kept by the application rather than by any window: the stored
// graphics, the user characters, the schedule rows and the signs of the program folder. The windows
// show and edit these objects, and tavrin-cli and tavrin-service use the same ones. A command takes
// copies of what it sends when it starts (its plan), so what the user does meanwhile changes
// nothing on the way to the sign.
class Workspace {
 public:
  explicit Workspace(std::filesystem::path programFolder);
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  const std::filesystem::path& ProgramFolder() const { return m_programFolder; }
  // The graphics "G01" to "G16" of the folder's Graphdata.
  const GraphicFolder& Graphics() const { return m_graphics; }
  // The user characters of the font maker (not yet saved as a file, perhaps).
  FontList& Fonts() { return m_fonts; }
  const FontList& Fonts() const { return m_fonts; }
  // The schedule entries to send, A to E.
  ScheduleList& Schedules() { return m_schedules; }
  const ScheduleList& Schedules() const { return m_schedules; }
  // The user's signs, read from the folder's sign list.
  SignBook& Signs() { return m_signs; }

 private:
  std::filesystem::path m_programFolder;
  GraphicFolder m_graphics;
  FontList m_fonts;
  ScheduleList m_schedules;
  SignBook m_signs;
};

}  // namespace tavrin
