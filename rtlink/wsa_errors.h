// Texts of Winsock error numbers, for the reader and command-link messages.
#pragma once

#include <cstdint>
#include <string>

// "{} " with the number, then the text of the error ("Unknown errror code"
// for a number without one), e.g. "10060 Connection timed out".
std::string gf_wsaErrorText(std::int32_t code);
