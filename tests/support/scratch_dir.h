// A fresh directory of its own for one test, removed with everything in it
// afterwards. The name is random so that two builds' tests running at once
// never share one.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace palvex::testing {

class ScratchDir {
public:
    explicit ScratchDir(const std::string& prefix = "palvex-") {
        std::random_device random;
        std::error_code ec;
        for (int attempt = 0; path_.empty() && attempt < 100; ++attempt) {
            auto candidate = std::filesystem::temp_directory_path(ec) / (prefix + std::to_string(random()));
            if (std::filesystem::create_directory(candidate, ec)) path_ = candidate;
        }
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path_ / name, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path path_;
};

}  // namespace palvex::testing
