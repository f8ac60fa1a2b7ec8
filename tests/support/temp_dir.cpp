#include "support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace testing_support {

TempDir::TempDir(bool enter) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::random_device device;
    for (int attempt = 0; attempt < 100; ++attempt) {
        auto candidate = std::filesystem::temp_directory_path() /
                         ("vlnt-test-" + std::to_string(stamp) + "-" + std::to_string(device()) + "-" +
                          std::to_string(counter++));
        if (std::filesystem::create_directories(candidate)) {
            path_ = std::filesystem::canonical(candidate);
            break;
        }
    }
    if (path_.empty()) throw std::runtime_error("TempDir: cannot create a folder");
    if (enter) {
        previous_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!previous_.empty()) std::filesystem::current_path(previous_, ec);
    std::filesystem::remove_all(path_, ec);
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("readFile: cannot open " + path.string());
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw std::runtime_error("writeFile: cannot open " + path.string());
    out << bytes;
}

}  // namespace testing_support
