#include "support/environment.h"

#include <cstdlib>

namespace testing_support {
namespace {
void setVariable(const std::string& name, const std::optional<std::string>& value) {
#ifdef _WIN32
    // An empty value removes the variable on Windows.
    _putenv_s(name.c_str(), value ? value->c_str() : "");
#else
    if (value)
        setenv(name.c_str(), value->c_str(), 1);
    else
        unsetenv(name.c_str());
#endif
}
}  // namespace

ScopedEnvironment::ScopedEnvironment(std::string name, const std::string& value) : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str())) previous_ = old;
    setVariable(name_, value);
}

ScopedEnvironment::~ScopedEnvironment() { setVariable(name_, previous_); }

}  // namespace testing_support
