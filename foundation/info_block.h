// The program-info block of the XML files the program writes (airport and
// learned files, the livery scan result): root/meta/info elements naming the
// program, its version, the date, the simulator and the maker's copyright.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <pugixml.hpp>

struct InfoRecord {
    std::string author;
    std::string version;
    std::string date;
    std::string p3d;   // the "P3D" entry of files made elsewhere
    std::string msfs;  // the "MSFS" entry
    std::int32_t sim = -1;  // -1: no "sim" entry; 0: an entry without value
};

// The maker's copyright line written into every block.
extern const char* const kCopyrightLine;

// Appends meta with author, version (the record's), date, copyright and sim
// (the record's) under root (created when missing). True when all five
// entries were written.
bool gf_writeInfoBlock(pugi::xml_node document, const InfoRecord& record);

// Reads the block; the first entry of each name counts. No record without a
// meta element or a copyright entry; an empty copyright also logs "no
// copyright info in the file?". Unless the caller accepts files without a
// simulator entry, a record needs a "sim", "P3D" or "MSFS" entry.
std::optional<InfoRecord> gf_readInfoBlock(const pugi::xml_node& document, bool acceptWithoutSim = false);
