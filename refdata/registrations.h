// Registrations of the data base and their model keys.
#pragma once

#include <optional>
#include <string_view>

struct RegistrationRecord;

// The record matching one of the registration's candidate spellings, if any.
std::optional<RegistrationRecord> gf_findRegistration(std::string_view registration);
