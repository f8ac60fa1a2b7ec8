// A small owner of one libzip archive: open it to read or create it anew,
// list its entries, read an entry's content into a stream in chunks, add
// entries from memory, and write the archive when it is closed. Failures of
// libzip throw std::runtime_error with libzip's own text.
//
// Entry names are never turned into file paths here: reading hands the
// content to a stream, and entries are added only under bare file names (no
// folder part, no "." or ".."), so nothing read or written through this
// class can reach outside the folder its caller chose.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <list>
#include <ostream>
#include <string>
#include <vector>

struct zip;

enum class ZipMode {
    ReadOnly,  // an existing archive, never changed
    New,       // created, or emptied when it exists; written by close()
};

struct ZipEntry {
    std::uint64_t index = 0;  // position in the archive's directory
    std::string name;         // as stored (UTF-8)
    std::uint64_t size = 0;   // uncompressed bytes
};

// The chunk in which entry contents are read.
inline constexpr std::size_t kZipReadChunk = 0x80000;

class ZipArchive {
public:
    // Opens (ReadOnly) or creates (New) the archive; throws on failure.
    ZipArchive(const std::filesystem::path& path, ZipMode mode);
    // An archive not closed is discarded: a New one writes no file.
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // The entries in the archive's order.
    std::vector<ZipEntry> entries() const;
    // Copies the entry's content into the stream, chunk by chunk. Returns 0,
    // or libzip's error code (ZIP_ER_CRC for damaged content, kWriteError
    // when the stream fails); errorText gives its wording.
    int readContent(const ZipEntry& entry, std::ostream& out, std::size_t chunkSize = kZipReadChunk) const;
    // Adds (or replaces) an entry holding a copy of the data. The name must be
    // a bare file name; anything else throws std::invalid_argument.
    void addData(const std::string& name, std::string data);
    // Writes the archive (New: an archive without entries writes no file)
    // and releases it; throws when writing fails. A second close does nothing.
    void close();
    bool isOpen() const { return archive_ != nullptr; }

    // libzip's text for one of its error codes.
    static std::string errorText(int code);
    // libzip's code for a failed write (ZIP_ER_WRITE).
    static constexpr int kWriteError = 6;

private:
    zip* archive_ = nullptr;
    std::filesystem::path path_;
    // Added data stays here until close(): libzip reads it only then.
    std::list<std::string> pending_;
};

// True when the name is a bare file name: not empty, not "." or "..", and
// without '/', '\\' or ':'.
bool gf_isBareEntryName(const std::string& name);
