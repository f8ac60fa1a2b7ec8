#include "support/livery_tree.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "foundation/text_convert.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace testing_support {
namespace {

std::string withLineEnds(const std::string& text, bool crlf) {
    if (!crlf) return text;
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string utf16Bytes(const std::string& utf8, bool bigEndian) {
    std::string out;
    for (const char16_t unit : utf8_to_wide(utf8)) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

// The values of the lines "<key>=<value>" of the text (blanks around kept out).
std::vector<std::string> keyValues(const std::string& text, const std::string& key) {
    std::vector<std::string> values;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line.compare(first, key.size(), key) != 0) continue;
        const auto equals = line.find_first_not_of(" \t", first + key.size());
        if (equals == std::string::npos || line[equals] != '=') continue;
        std::string value = line.substr(equals + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        value.erase(value.find_last_not_of(" \t\r") + 1);
        values.push_back(value);
    }
    return values;
}

const char* const kGeneral = "[General]\natc_type=AIRBUS\natc_model=";

// One section: the title, the other key lines, and the usual files.
std::string section(int number, const std::string& title, const std::string& keys, const std::string& texture,
                    const std::string& sim) {
    return "\n[fltsim." + std::to_string(number) + "]\ntitle=" + title + "\nsim=" + sim + "\nmodel=main\ntexture=" +
           texture + "\n" + keys + "ui_variation=" + title + "\n";
}

std::string cfg(const std::string& atcModel, const std::string& sections) {
    return std::string(kGeneral) + atcModel + "\neditable=1\n" + sections + "\n[Views]\neyepoint=-30.0, 0, 5.0\n";
}

void writeMain(const fs::path& main) {
    writeAircraftFolder(main / "A320", "aircraft.cfg",
                        cfg("A320", section(0, "A320 Lufthansa D-AIZA", "atc_parking_codes=DLH\natc_id=D-AIZA\n", "DLH", "A320") +
                                        section(1, "A320 Lufthansa D-AIZB", "atc_parking_codes=DLH\natc_id=D-AIZB\n", "DLH2", "A320") +
                                        section(2, "A320 Lufthansa Retro D-AIZR", "atc_parking_codes=DLH\natc_id=D-AIZR\n", "DLH3", "A320") +
                                        section(3, "FSLTL_A320_AFR", "atc_parking_codes=AFRX\n", "AFR", "A320") +
                                        section(4, "A320 Generic White", "atc_parking_codes=DLH\natc_id=D-AGEN\n", "WHITE", "A320") +
                                        section(5, "A320 Fictional Air", "atc_parking_codes=DLH\n", "FICT", "A320") +
                                        section(6, "A320 British Airways G-EUYA", "atc_parking_codes=BAW\natc_id=G-EUYA ; spare\n", "BAW", "A320") +
                                        section(7, "A320 Do Not Use Me", "atc_parking_codes=DLH\n", "DONT", "A320") +
                                        section(8, "A320 Lufthansa D-AIZB", "atc_parking_codes=DLH\n", "DLH4", "A320") +
                                        // An empty model names the folder "model."; Windows finds "model" by it.
                                        "\n[fltsim.9]\ntitle=A320 Lufthansa D-AIZC\nsim=A320\nmodel=\ntexture=DLH5\n"
                                        "atc_parking_codes=DLH\natc_id=D-AIZC\n"));
    writeAircraftFolder(main / "A321", "aircraft.cfg",
                        cfg("A321", section(0, "A321 American Airlines N101NN", "atc_parking_codes=AAL\natc_id=N101NN\n", "AAL", "A321")),
                        CfgEncoding::Utf8Bom);
    writeAircraftFolder(main / "B738", "aircraft.cfg",
                        cfg("B737-800", section(0, "B738 Delta", "atc_parking_codes=DAL\n", "DAL", "B738") +
                                            section(1, "B738 Ryanair EI-DCL", "atc_parking_codes=RYR\natc_id=EI-DCL\n", "RYR", "B738")),
                        CfgEncoding::Utf16LeBom, true);
    writeAircraftFolder(main / "B763F", "sim.cfg",
                        cfg("B763", section(0, "B763F UPS N301UP", "atc_parking_codes=UPS\natc_parking_types=ramp,cargo\natc_id=N301UP\n", "UPS", "B763") +
                                        section(1, "B763 Delta", "atc_parking_codes=DAL\natc_parking_types=GATE\n", "DAL", "B763")));
    writeAircraftFolder(main / "E175", "aircraft.cfg",
                        cfg("E175", section(0, "E175 SkyWest Delta Connection N264SY", "atc_parking_codes=SKW\natc_id=N264SY\n", "SKW1", "E175") +
                                        section(1, "E175 SkyWest United Express", "atc_parking_codes=SKW\n", "SKW2", "E175") +
                                        section(2, "E175 Horizon", "atc_parking_codes=QXE\n", "QXE", "E175")));
    writeAircraftFolder(main / "C172", "aircraft.cfg",
                        cfg("C172SP", section(0, "C172 D-EABC", "atc_id=D-EABC\n", "1", "C172") +
                                          section(1, "C172 N172SP", "atc_id=N172SP\n", "2", "C172") +
                                          section(2, "C172 G-ABCD", "", "3", "C172") +
                                          section(3, "C172 A\xC3\xA9roclub F-GABC", "atc_id=F-GABC\n", "4", "C172")),
                        CfgEncoding::Ansi);
    writeAircraftFolder(main / "EC35", "aircraft.cfg", cfg("EC35", section(0, "EC135 Police", "", "POL", "EC35")));
    writeAircraftFolder(main / "C56X", "aircraft.cfg",
                        cfg("C56X", section(0, "C56X VistaJet", "atc_parking_codes=VJT\n", "VJT", "C56X")));
    writeAircraftFolder(main / "B77W", "aircraft.cfg",
                        cfg("B77W", section(0, "B77W Air France", "atc_parking_codes=AFR\n", "AFR", "B77W") +
                                        section(1, "B77W White", "", "WHITE", "B77W") +
                                        section(2, "B77W Unknown F-XXXX", "atc_id=F-XXXX\n", "UNK", "B77W")));
}

void writeBroken(const fs::path& broken) {
    writeAircraftFolder(broken / "fltsim10001", "aircraft.cfg",
                        cfg("A320", section(0, "A320 Never Read", "atc_parking_codes=DLH\n", "A", "A320") +
                                        section(10001, "A320 Never Read Either", "atc_parking_codes=DLH\n", "B", "A320")));
    writeAircraftFolder(broken / "noatcmodel", "aircraft.cfg",
                        "[General]\natc_type=AIRBUS\n" + section(0, "A320 No Model", "atc_parking_codes=DLH\n", "A", "A320"));
    writeAircraftFolder(broken / "unknownmodel", "aircraft.cfg",
                        cfg("XX99", section(0, "XX99 Unknown", "atc_parking_codes=DLH\n", "A", "XX99")));
    writeAircraftFolder(broken / "nofltsim", "aircraft.cfg", cfg("A320", ""));
    writeAircraftFolder(broken / "missingtexture", "aircraft.cfg",
                        cfg("A320", section(0, "A320 No Texture", "atc_parking_codes=DLH\n", "GONE", "A320")),
                        CfgEncoding::Utf8, false, {"texture.GONE"});
    writeAircraftFolder(broken / "twotitles", "aircraft.cfg",
                        cfg("A320", section(0, "A320 First Title", "atc_parking_codes=DLH\ntitle=A320 Second Title\n", "A", "A320")));
    writeAircraftFolder(broken / "twoairlines", "aircraft.cfg",
                        cfg("A320", section(0, "A320 Two Airlines", "atc_parking_codes=DLH\natc_parking_codes=BAW\n", "A", "A320")));
    writeAircraftFolder(broken / "abcd", "aircraft.cfg",
                        cfg("A320", section(0, "A320 Abcd Air", "atc_parking_codes=ABCD\n", "A", "A320")));
    writeAircraftFolder(broken / "rfo", "aircraft.cfg",
                        cfg("A320", section(0, "A320 Rfo Air", "atc_parking_codes=RFO\n", "A", "A320")));
    writeAircraftFolder(broken / "abcstar", "aircraft.cfg",
                        cfg("A320", section(0, "A320 Star Air", "atc_parking_codes=DLH\natc_id=ABC*\n", "A", "A320")));
    writeAircraftFolder(broken / "utf16nobom", "aircraft.cfg",
                        cfg("A321", section(0, "A321 Lufthansa UTF16", "atc_parking_codes=DLH\n", "A", "A321")),
                        CfgEncoding::Utf16LeNoBom);
    writeAircraftFolder(broken / "mixedcase", "Aircraft.CFG",
                        cfg("A319", section(0, "A319 Lufthansa Mixed", "atc_parking_codes=DLH\n", "A", "A319")));
    writeAircraftFolder(broken / "bak", "aircraft.cfg.bak",
                        cfg("A320", section(0, "A320 Backup", "atc_parking_codes=DLH\n", "A", "A320")));
    writeAircraftFolder(broken / "x", "aircraftx.cfg",
                        cfg("A320", section(0, "A320 Aircraftx", "atc_parking_codes=DLH\n", "A", "A320")));
    writeAircraftFolder(broken / "my_airport_scenery" / "A320", "aircraft.cfg",
                        cfg("A320", section(0, "A320 Airport Folder", "atc_parking_codes=DLH\n", "A", "A320")));
    // A "[" at index 6 is a line of the section; one at index 2 ends it.
    writeAircraftFolder(broken / "sectionend", "aircraft.cfg",
                        cfg("A320", "\n[fltsim.0]\ntitle=A320 Bracket Air\natc_parking_codes=DLH\n      [x]\n"
                                    "sim=A320\nmodel=main\ntexture=BRK\n"
                                    "\n[fltsim.1]\ntitle=A320 Cut Air\natc_parking_codes=DLH\n  [General]\n"
                                    "sim=A320\nmodel=main\ntexture=CUT\n"));
    // A folder whose path reaches 250 bytes is not entered.
    const fs::path deepParent = broken / "deep";
    const std::size_t parentLength = deepParent.u8string().size() + 1;
    const std::size_t nameLength = parentLength < 245 ? 250 - parentLength : 5;
    writeAircraftFolder(deepParent / std::string(nameLength, 'd'), "aircraft.cfg",
                        cfg("A320", section(0, "A320 Too Deep", "atc_parking_codes=DLH\n", "A", "A320")));
}

void writeExtra(const fs::path& extra) {
    writeAircraftFolder(extra / "A320", "aircraft.cfg",
                        cfg("A320", section(0, "A320 Lufthansa Extra", "atc_parking_codes=DLH\n", "DLH", "A320") +
                                        section(1, "A320 KLM PH-ABC", "atc_parking_codes=KLM\natc_id=PH-ABC\n", "KLM", "A320") +
                                        section(2, "A320 Lufthansa D-AIZA", "atc_parking_codes=DLH\n", "DLH2", "A320")));
    // Delta's own E175: main has Delta's E175 only as flown by SkyWest, a
    // preference key of its own.
    writeAircraftFolder(extra / "E175", "aircraft.cfg",
                        cfg("E75L", section(0, "E175 Delta Shuttle", "atc_parking_codes=DAL\n", "DAL", "E75L")));
}

void writeAddons(const fs::path& addons) {
    writeAircraftFolder(addons / "IVAO_MTL" / "IVAO_B738w", "aircraft.cfg",
                        "[General]\natc_type=BOEING\n" + section(0, "B738AAL", "", "AAL", "B738") +
                            section(1, "b738 DAL Boeing", "", "DAL", "B738") +
                            section(2, "b738 aal", "", "aal", "B738") +
                            section(3, "AAL B738", "atc_id=EI-DCL\n", "RYR", "B738") +
                            section(4, "B738XYZ", "", "XYZ", "B738") +
                            section(5, "Boeing 738 plain", "", "P", "B738") +
                            section(6, "Boeing 738 reg", "atc_id=N999ZZ\n", "R", "B738"));
    writeAircraftFolder(addons / "IVAO_MTL" / "IVAO_T154B2", "aircraft.cfg",
                        "[General]\n" + section(0, "T154 AFL Aeroflot", "", "AFL", "T154"));
    writeAircraftFolder(addons / "ivao_x-csl" / "B738", "aircraft.cfg",
                        "[General]\n" + section(0, "B738 Csl", "", "CSL", "B738"));
    // (In a folder of its own: Windows would take "ivao_mtl" beside "IVAO_MTL" for the same folder.)
    writeAircraftFolder(addons / "lower" / "ivao_mtl" / "IVAO_A320", "aircraft.cfg",
                        cfg("A320", section(0, "A320 United Lowercase", "atc_parking_codes=UAL\n", "UAL", "A320")));
}

}  // namespace

std::string encodeCfgText(const std::string& utf8, CfgEncoding encoding, bool crlf) {
    const std::string text = withLineEnds(utf8, crlf);
    switch (encoding) {
        case CfgEncoding::Utf8: return text;
        case CfgEncoding::Utf8Bom: return "\xEF\xBB\xBF" + text;
        case CfgEncoding::Utf16LeBom: return "\xFF\xFE" + utf16Bytes(text, false);
        case CfgEncoding::Utf16LeNoBom: return utf16Bytes(text, false);
        case CfgEncoding::Utf16BeBom: return "\xFE\xFF" + utf16Bytes(text, true);
        case CfgEncoding::Ansi: {
            const std::optional<std::string> ansi = gf_utf8ToAnsi(text);
            if (!ansi) throw std::invalid_argument("encodeCfgText: no ANSI form");
            return *ansi;
        }
    }
    return text;
}

void writeAircraftFolder(const fs::path& folder, const std::string& cfgName, const std::string& utf8Text,
                         CfgEncoding encoding, bool crlf, const std::vector<std::string>& omitted) {
    fs::create_directories(folder);
    writeFile(folder / gf_utf8Path(cfgName), encodeCfgText(utf8Text, encoding, crlf));
    const auto omittedName = [&omitted](const std::string& name) {
        return std::find(omitted.begin(), omitted.end(), name) != omitted.end();
    };
    for (const std::string& model : keyValues(utf8Text, "model")) {
        const std::string name = model.empty() ? "model" : "model." + model;
        if (!omittedName(name)) fs::create_directories(folder / gf_utf8Path(name));
    }
    for (const std::string& texture : keyValues(utf8Text, "texture"))
        if (!omittedName("texture." + texture)) fs::create_directories(folder / gf_utf8Path("texture." + texture));
    for (const std::string& sim : keyValues(utf8Text, "sim"))
        if (!omittedName(sim + ".air")) writeFile(folder / gf_utf8Path(sim + ".air"), "air");
}

std::string liveryTreeDbase() {
    return R"(<?xml version="1.0"?>
<root>
  <aircrafts><aircraft types="A319,A320,A321,B738,B744,B763,B77W,E75L,C172,PA28,EC35,C56X,T154"/></aircrafts>
  <cargo_types><cargo_type types="B763"/></cargo_types>
  <heavy><hvy types="B744,B763,B77W"/></heavy>
  <large><lar types="A319,A320,A321,B738,E75L,T154"/></large>
  <buzjet><bzj types="C56X"/></buzjet>
  <high_performance><hpf types="F16"/></high_performance>
  <rotorcraft><rot types="EC35"/></rotorcraft>
  <ICAO_airlines><ICAO codes="AAL,AFL,AFR,BAW,DAL,DLH,KLM,QXE,RYR,SKW,UAL,UPS,VJT"/></ICAO_airlines>
  <cargo_operators><ICAO codes="UPS,FDX"/></cargo_operators>
  <simaddonsP3D><simaddonP3D arpts="EHRD"/></simaddonsP3D>
  <fixes><fx wro="B737-800" cor="B738"/><fx wro="E175" cor="E75L"/><fx wro="C172SP" cor="C172"/></fixes>
  <dbase>
    <d r="D-AIZA" a="DLH" m="A320"/>
    <d r="G-EUYA" a="BAW" m="A320"/>
    <d r="N101NN" a="AAL" m="A321"/>
    <d r="EI-DCL" a="RYR" m="B738"/>
    <d r="N301UP" a="UPS" m="B763" c="1"/>
    <d r="N264SY" a="DAL" o="SKW" m="E75L"/>
    <d r="D-"/>
    <d r="G-"/>
    <d r="N"/>
    <d r="OE-"/>
    <d r="F-"/>
  </dbase>
</root>
)";
}

LiveryTree writeLiveryTree(const fs::path& root) {
    LiveryTree tree{root / "main", root / "extra", root / "addons"};
    writeMain(tree.main);
    writeBroken(tree.main / "broken");
    writeExtra(tree.extra);
    writeAddons(tree.addons);
    return tree;
}

}  // namespace testing_support
