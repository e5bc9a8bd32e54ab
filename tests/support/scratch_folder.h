#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>
#include <system_error>

namespace tavrin::testing {

// A fresh folder under the system's temporary folder, removed with everything in it when the
// test ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    // A name no other folder has: create_directory says false when it was taken.
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::filesystem::path path =
          std::filesystem::temp_directory_path() / ("tavrin-test-" + std::to_string(random()));
      std::error_code ec;
      if (std::filesystem::create_directory(path, ec) && !ec) {
        m_path = path;
        return;
      }
    }
    std::abort();
  }
  ~ScratchFolder() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  std::filesystem::path operator/(std::string_view name) const { return m_path / name; }

  // Writes a file below the folder, making its parent folders.
  std::filesystem::path Put(std::string_view relative, std::string_view bytes) const {
    std::filesystem::path path = m_path / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<long>(bytes.size()));
    return path;
  }

  static std::string Slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path m_path;
};

}  // namespace tavrin::testing
