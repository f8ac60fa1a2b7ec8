// What a download site serves to the version check: the version list and
// release archives, built from short descriptions.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace testing_support {

// {"p3d": {"major": 11, "minor": 0, "patch": 3}, ...} from item names and
// versions written "11.0.3", in the given order.
std::string versionsJsonOf(const std::vector<std::pair<std::string, std::string>>& items);

// The bytes of a zip archive holding the entries (name, content) in order;
// without entries, an archive of only its end record.
std::string zipBytesOf(const std::vector<std::pair<std::string, std::string>>& entries);

}  // namespace testing_support
