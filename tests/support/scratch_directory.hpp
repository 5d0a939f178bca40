// A fresh folder under the system's temporary directory for one test, removed afterwards, and
// small file helpers for the tests that use one.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

#include "base/uuid.hpp"

namespace brontile::test {

class ScratchDirectory {
public:
    ScratchDirectory() { std::filesystem::create_directories(path_); }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    ~ScratchDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_ =
        std::filesystem::temp_directory_path() / ("brontile-test-" + Uuid::random().string());
};

// The names in `folder`, hidden ones included.
inline std::set<std::string> entryNames(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

// The bytes in `file`, as they are.
inline std::string readBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes `bytes` to `file` as they are; returns `file`.
inline std::filesystem::path writeBytes(const std::filesystem::path& file, std::string_view bytes) {
    std::ofstream(file, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return file;
}

}  // namespace brontile::test
