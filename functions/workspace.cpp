#include "functions/workspace.h"

namespace tavrin {

Workspace::Workspace(std::filesystem::path programFolder)
    : m_programFolder(std::move(programFolder)),
      m_graphics(m_programFolder),
      m_signs(m_programFolder) {}

}  // namespace tavrin
