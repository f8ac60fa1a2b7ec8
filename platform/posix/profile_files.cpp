// Profile files read the way Windows reads them, for the POSIX build.
#include "platform/profile_files.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/text_codec.h"

namespace platform {
namespace {

struct Entry {
    std::u16string key;
    std::optional<std::u16string> value;  // none for a line without '='
};

struct Section {
    std::u16string name;
    std::vector<Entry> entries;
};

std::u16string decode(const std::string& bytes) {
    const auto byteAt = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    if (bytes.size() >= 2 && ((byteAt(0) == 0xFF && byteAt(1) == 0xFE) || (byteAt(0) == 0xFE && byteAt(1) == 0xFF))) {
        const bool little = byteAt(0) == 0xFF;
        std::u16string text;
        for (std::size_t k = 2; k + 1 < bytes.size(); k += 2)
            text.push_back(static_cast<char16_t>(little ? byteAt(k) | byteAt(k + 1) << 8 : byteAt(k) << 8 | byteAt(k + 1)));
        return text;
    }
    if (bytes.size() >= 3 && byteAt(0) == 0xEF && byteAt(1) == 0xBB && byteAt(2) == 0xBF)
        return utf8ToUtf16(std::string_view(bytes).substr(3), false).value_or(std::u16string());
    return ansiToUtf16(bytes);
}

bool isBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f' || c == u'\v'; }

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool equalNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    const auto fold = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; };
    for (std::size_t k = 0; k < a.size(); ++k)
        if (fold(a[k]) != fold(b[k])) return false;
    return true;
}

// The file's sections in order; lines before the first header form a section
// without a name.
std::vector<Section> load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return {};
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::u16string text = decode(bytes);
    std::vector<Section> sections(1);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(u"\r\n", start);
        if (end == std::u16string::npos) end = text.size();
        const std::u16string_view line = trimmed(std::u16string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty()) continue;
        if (line.front() == u'[') {
            const std::size_t close = line.rfind(u']');
            if (close != std::u16string_view::npos) {
                sections.push_back({std::u16string(line.substr(1, close - 1)), {}});
                continue;
            }
        }
        const std::size_t equals = line.find(u'=');
        if (equals == std::u16string_view::npos)
            sections.back().entries.push_back({std::u16string(line), std::nullopt});
        else
            sections.back().entries.push_back(
                {std::u16string(trimmed(line.substr(0, equals))), std::u16string(trimmed(line.substr(equals + 1)))});
    }
    return sections;
}

const Section* findSection(const std::vector<Section>& sections, const std::u16string& name) {
    for (std::size_t k = 1; k < sections.size(); ++k)
        if (equalNoCase(sections[k].name, name)) return &sections[k];
    return nullptr;
}

}  // namespace

std::u16string profileString(const std::filesystem::path& file, const std::u16string& section,
                             const std::u16string& key, std::size_t capacity) {
    if (capacity == 0) return {};
    const auto sections = load(file);
    const Section* found = findSection(sections, section);
    if (found == nullptr) return {};
    for (const Entry& entry : found->entries) {
        if (!equalNoCase(entry.key, key)) continue;
        std::u16string_view value = entry.value ? std::u16string_view(*entry.value) : std::u16string_view();
        if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return std::u16string(value.substr(0, capacity - 1));
    }
    return {};
}

bool profileHasSection(const std::filesystem::path& file, const std::u16string& section) {
    const auto sections = load(file);
    const Section* found = findSection(sections, section);
    if (found == nullptr) return false;
    for (const Entry& entry : found->entries)
        if (entry.key.empty() || entry.key.front() != u';') return true;  // comments do not count
    return false;
}

}  // namespace platform
