// A scratch folder for one test, removed with everything in it afterwards.
// The same class serves the native tests and the Win32 tests under Wine:
// folders end in the platform's own delimiter, as the program's folders do.
#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

namespace vanta::test {

class TTempDir {
 public:
  TTempDir() {
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("vanta-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
  }
  ~TTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  // The folder with a trailing delimiter.
  std::string Folder() const { return path_.string() + static_cast<char>(std::filesystem::path::preferred_separator); }
  std::string Path(const std::string& name) const { return Folder() + name; }

  std::string Write(const std::string& name, const std::string& content) const {
    const std::string p = Path(name);
    std::filesystem::create_directories(std::filesystem::path(p).parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Exists(const std::string& name) const { return std::filesystem::exists(Path(name)); }

 private:
  std::filesystem::path path_;
};

}  // namespace vanta::test
