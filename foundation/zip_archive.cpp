#include "foundation/zip_archive.h"

#include <fmt/format.h>
#include <zip.h>

#include <cerrno>
#include <memory>
#include <stdexcept>

#include "foundation/text_convert.h"

namespace fs = std::filesystem;

static_assert(ZipArchive::kWriteError == ZIP_ER_WRITE);

namespace {
std::string utf8(const fs::path& path) { return gf_wideToUtf8(path.u16string()); }

// Owns a zip_error_t for the call that fills it.
class ZipError {
public:
    ZipError() { zip_error_init(&error_); }
    explicit ZipError(int code) { zip_error_init_with_code(&error_, code); }
    ~ZipError() { zip_error_fini(&error_); }
    ZipError(const ZipError&) = delete;
    ZipError& operator=(const ZipError&) = delete;
    zip_error_t* get() { return &error_; }
    std::string text() { return zip_error_strerror(&error_); }

private:
    zip_error_t error_;
};

zip_t* openArchive(const fs::path& path, int flags) {
    ZipError error;
#ifdef _WIN32
    // The wide path: a narrow one would pass through the ANSI code page.
    zip_source_t* source = zip_source_win32w_create(path.c_str(), 0, -1, error.get());
    zip_t* archive = nullptr;
    if (source != nullptr) {
        archive = zip_open_from_source(source, flags, error.get());
        if (archive == nullptr) zip_source_free(source);
    }
#else
    int code = ZIP_ER_OK;
    zip_t* archive = zip_open(path.c_str(), flags, &code);
    if (archive == nullptr) zip_error_set(error.get(), code, errno);
#endif
    if (archive == nullptr) throw std::runtime_error(fmt::format("cannot open {}: {}", utf8(path), error.text()));
    return archive;
}

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
}  // namespace

ZipArchive::ZipArchive(const fs::path& path, ZipMode mode)
    : archive_(openArchive(path, mode == ZipMode::ReadOnly ? ZIP_RDONLY : ZIP_CREATE | ZIP_TRUNCATE)), path_(path) {}

ZipArchive::~ZipArchive() {
    if (archive_ != nullptr) zip_discard(archive_);
}

std::vector<ZipEntry> ZipArchive::entries() const {
    if (archive_ == nullptr) throw std::logic_error("ZipArchive: the archive is closed");
    const zip_int64_t count = zip_get_num_entries(archive_, 0);
    std::vector<ZipEntry> result;
    result.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive_, static_cast<zip_uint64_t>(i), 0, &stat) != 0)
            throw std::runtime_error(fmt::format("cannot read entry {} of {}: {}", i, utf8(path_), zip_strerror(archive_)));
        ZipEntry entry;
        entry.index = static_cast<std::uint64_t>(i);
        if ((stat.valid & ZIP_STAT_NAME) != 0 && stat.name != nullptr) entry.name = stat.name;
        if ((stat.valid & ZIP_STAT_SIZE) != 0) entry.size = stat.size;
        result.push_back(std::move(entry));
    }
    return result;
}

int ZipArchive::readContent(const ZipEntry& entry, std::ostream& out, std::size_t chunkSize) const {
    if (archive_ == nullptr) throw std::logic_error("ZipArchive: the archive is closed");
    if (chunkSize == 0) throw std::invalid_argument("ZipArchive::readContent: chunk size 0");
    const std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive_, entry.index, 0));
    if (!file) return zip_error_code_zip(zip_get_error(archive_));
    std::string buffer(chunkSize, '\0');
    for (;;) {
        const zip_int64_t read = zip_fread(file.get(), buffer.data(), buffer.size());
        if (read < 0) return zip_error_code_zip(zip_file_get_error(file.get()));
        if (read == 0) break;
        out.write(buffer.data(), static_cast<std::streamsize>(read));
        if (!out) return kWriteError;
    }
    out.flush();
    return out ? ZIP_ER_OK : kWriteError;
}

void ZipArchive::addData(const std::string& name, std::string data) {
    if (archive_ == nullptr) throw std::logic_error("ZipArchive: the archive is closed");
    if (!gf_isBareEntryName(name)) throw std::invalid_argument(fmt::format("not a bare entry name: '{}'", name));
    const std::string& kept = pending_.emplace_back(std::move(data));
    zip_source_t* source = zip_source_buffer(archive_, kept.data(), kept.size(), 0);
    if (source == nullptr) {
        pending_.pop_back();
        throw std::runtime_error(fmt::format("cannot add {} to {}: {}", name, utf8(path_), zip_strerror(archive_)));
    }
    if (zip_file_add(archive_, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
        const std::string text = zip_strerror(archive_);
        zip_source_free(source);
        pending_.pop_back();
        throw std::runtime_error(fmt::format("cannot add {} to {}: {}", name, utf8(path_), text));
    }
}

void ZipArchive::close() {
    if (archive_ == nullptr) return;
    if (zip_close(archive_) != 0) {
        const std::string text = zip_strerror(archive_);
        zip_discard(archive_);
        archive_ = nullptr;
        pending_.clear();
        throw std::runtime_error(fmt::format("cannot write {}: {}", utf8(path_), text));
    }
    archive_ = nullptr;
    pending_.clear();
}

std::string ZipArchive::errorText(int code) { return ZipError(code).text(); }

bool gf_isBareEntryName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\:") == std::string::npos;
}
