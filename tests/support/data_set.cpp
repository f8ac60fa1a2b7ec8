#include "support/data_set.h"

namespace testing_support {

std::filesystem::path dataSetFile(const std::string& name) { return std::filesystem::path(VLNT_DATA_SET_DIR) / name; }

std::filesystem::path sourceFile(const std::string& relative) {
    return std::filesystem::path(VLNT_SOURCE_DIR) / relative;
}

}  // namespace testing_support
