// The project's data set as the build enciphered it (data/*.xml into
// <build>/input), for tests that read the shipped files.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// The enciphered file of the data set, e.g. dataSetFile("dbase.enc").
std::filesystem::path dataSetFile(const std::string& name);

}  // namespace testing_support
