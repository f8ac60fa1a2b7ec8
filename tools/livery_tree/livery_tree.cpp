#include "tools/livery_tree/livery_tree.h"

#include <pugixml.hpp>

#include <fstream>
#include <map>
#include <stdexcept>

namespace fs = std::filesystem;

namespace livery_tree {
namespace {

std::string required(const pugi::xml_node& element, const char* name) {
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute) throw std::runtime_error(std::string("a livery without the attribute ") + name);
    return attribute.value();
}

// UTF-8 to UTF-16 little endian with its byte-order mark.
std::string utf16(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    const auto put = [&out](unsigned unit) {
        out += static_cast<char>(unit & 0xFF);
        out += static_cast<char>(unit >> 8);
    };
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        unsigned code = length == 1 ? lead : lead & (0xFF >> (length + 1));
        for (int k = 1; k < length && i + k < utf8.size(); ++k) code = (code << 6) | (utf8[i + k] & 0x3F);
        i += length;
        if (code >= 0x10000) {
            code -= 0x10000;
            put(0xD800 + (code >> 10));
            put(0xDC00 + (code & 0x3FF));
        } else {
            put(code);
        }
    }
    return out;
}

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace

std::vector<Livery> readLiveries(const fs::path& resultsFile) {
    pugi::xml_document document;
    if (!document.load_file(resultsFile.c_str())) throw std::runtime_error("cannot load " + resultsFile.string());
    std::vector<Livery> liveries;
    for (const pugi::xml_node element : document.child("root").child("liveries").children()) {
        Livery livery;
        livery.airline = required(element, "a");
        livery.model = required(element, "m");
        livery.title = required(element, "t");
        livery.cargo = element.attribute("c").as_bool();
        livery.regcode = element.attribute("r").value();
        liveries.push_back(std::move(livery));
    }
    return liveries;
}

std::string aircraftCfg(const std::string& model, const std::vector<Livery>& liveries) {
    std::string text = "[General]\r\natc_type=" + model + "\r\natc_model=" + model + "\r\neditable=0\r\n";
    int number = 0;
    for (const Livery& livery : liveries) {
        text += "\r\n[fltsim." + std::to_string(number) + "]\r\ntitle=" + livery.title + "\r\nsim=" + model +
                "\r\nmodel=\r\npanel=\r\nsound=\r\ntexture=" + std::to_string(number) + "\r\n";
        // Generic liveries and private ones name no airline: the title and
        // the registration tell.
        if (livery.airline != "ZZZ" && livery.airline != "PVT") text += "atc_parking_codes=" + livery.airline + "\r\n";
        text += std::string("atc_parking_types=") + (livery.cargo ? "CARGO" : "GATE") + "\r\n";
        if (!livery.regcode.empty()) text += "atc_id=" + livery.regcode + "\r\n";
        text += "ui_variation=" + livery.title + "\r\n";
        ++number;
    }
    return text + "\r\n[Views]\r\neyepoint=-30.0, 0, 5.0\r\n";
}

int writeTree(const std::vector<Livery>& liveries, const fs::path& folder) {
    std::map<std::string, std::vector<Livery>> byModel;
    for (const Livery& livery : liveries) byModel[livery.model].push_back(livery);
    int written = 0;
    for (const auto& [model, modelLiveries] : byModel) {
        const fs::path aircraft = folder / model;
        // An empty model value names the folder "model." beside the cfg,
        // which Windows finds as "model"; both exist, for both systems.
        fs::create_directories(aircraft / "model");
        fs::create_directories(aircraft / "model.");
        for (std::size_t i = 0; i < modelLiveries.size(); ++i) fs::create_directories(aircraft / ("texture." + std::to_string(i)));
        writeBytes(aircraft / (model + ".air"), "air");
        const std::string text = aircraftCfg(model, modelLiveries);
        writeBytes(aircraft / "aircraft.cfg", written % 2 == 0 ? "\xEF\xBB\xBF" + text : utf16(text));
        ++written;
    }
    return written;
}

}  // namespace livery_tree
