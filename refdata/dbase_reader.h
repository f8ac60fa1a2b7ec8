// Reading the aircraft data base, input/dbase.enc: model and airline codes,
// size categories, similar types and prefixes, publishers, wingspans, fixes,
// the add-on airports and the registrations.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "refdata/state.h"

// Deciphers input/dbase.enc to input/dbase.xml, fills the tables, logs the
// counts and removes the plain file (on every way out). False when the plain
// file is not XML. Throws std::runtime_error when the enciphered file is
// missing or does not decipher, and vlt::UserErrorException 61 when a
// required section is missing or empty. The caller reads it once per process.
bool gf_readDbase();

// Splits the attribute of every element of the section at "," into the set
// (trimmed, empty pieces dropped). Throws error 61 when the root or the
// section is missing or no element gives a piece.
void lf_checkDbaseSection(const pugi::xml_document& document, const std::string& section, CodeSet& target,
                          const std::string& element, const std::string& attribute);
// The same for the attribute "types" (respectively "codes"), merged into the target.
void lf_readTypesSection(const pugi::xml_document& document, const std::string& section, CodeSet& target,
                         const std::string& element);
void lf_readCodesSection(const pugi::xml_document& document, const std::string& section, CodeSet& target,
                         const std::string& element);
// Appends one ThirdPartyRecord per element; a missing section adds nothing.
void lf_readThirdParties(const pugi::xml_document& document, const std::string& section, const std::string& element);
