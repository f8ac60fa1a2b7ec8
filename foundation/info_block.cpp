#include "foundation/info_block.h"

#include <string_view>

#include "foundation/log.h"
#include "foundation/time_texts.h"
#include "settings/program_version.h"
#include "settings/xml_params.h"

const char* const kCopyrightLine = "Copyright (C) Velantra_P3D. All rights reserved.";

namespace {
bool appendInfo(pugi::xml_node meta, const char* name, const std::string& value) {
    pugi::xml_node info = meta.append_child("info");
    if (!info) return false;
    const bool named = gf_addAttribute(info, "name", name);
    const bool valued = gf_addAttribute(info, "value", value);
    return named && valued;
}
}  // namespace

bool gf_writeInfoBlock(pugi::xml_node document, const InfoRecord& record) {
    pugi::xml_node root = document.child("root");
    if (!root) root = document.append_child("root");
    if (!root) return false;
    pugi::xml_node meta = root.append_child("meta");
    if (!meta) return false;
    bool complete = appendInfo(meta, "author", kProgramName);
    complete = appendInfo(meta, "version", record.version) && complete;
    complete = appendInfo(meta, "date", gf_dateText()) && complete;
    complete = appendInfo(meta, "copyright", kCopyrightLine) && complete;
    return appendInfo(meta, "sim", std::to_string(record.sim)) && complete;
}

std::optional<InfoRecord> gf_readInfoBlock(const pugi::xml_node& document, bool acceptWithoutSim) {
    const pugi::xml_node root = document.child("root");
    const pugi::xml_node meta = (root ? root : document).child("meta");
    if (!meta) return std::nullopt;
    InfoRecord record;
    bool copyright = false, author = false, version = false, date = false, p3d = false, msfs = false, sim = false;
    const auto takeText = [](bool& seen, std::string& field, const pugi::xml_node& info) {
        if (seen) return;
        seen = true;
        field = info.attribute("value").as_string();
    };
    for (const pugi::xml_node info : meta.children("info")) {
        const std::string_view name = info.attribute("name").value();
        if (name == "copyright") {
            if (copyright) continue;
            if (std::string_view(info.attribute("value").value()).empty()) {
                gf_logMarked("no copyright info in the file?");
                return std::nullopt;
            }
            copyright = true;
        } else if (name == "author") {
            takeText(author, record.author, info);
        } else if (name == "version") {
            takeText(version, record.version, info);
        } else if (name == "date") {
            takeText(date, record.date, info);
        } else if (name == "P3D") {
            takeText(p3d, record.p3d, info);
        } else if (name == "MSFS") {
            takeText(msfs, record.msfs, info);
        } else if (name == "sim" && !sim) {
            sim = true;
            record.sim = info.attribute("value").as_int();
        }
    }
    if (!copyright) return std::nullopt;
    if (acceptWithoutSim || sim || p3d || msfs) return record;
    return std::nullopt;
}
