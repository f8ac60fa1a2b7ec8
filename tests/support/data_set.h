// The project's data set as the build enciphered it (data/*.xml into
// <build>/input), for tests that read the shipped files, and the plain files
// of the source tree.
#pragma once

#include <filesystem>
#include <string>

namespace testing_support {

// The enciphered file of the data set, e.g. dataSetFile("dbase.enc").
std::filesystem::path dataSetFile(const std::string& name);
// A file of the source tree, e.g. sourceFile("data/dbase.xml").
std::filesystem::path sourceFile(const std::string& relative);

}  // namespace testing_support
