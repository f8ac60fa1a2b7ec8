// What the main window paints, as a list of drawing steps that does not
// depend on the window system: filled rectangles, lines and texts with their
// colours, in painting order. The Win32 window executes the list with GDI,
// the headless host prints its panel from it, and tests inspect it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    constexpr bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kLimeGreen{50, 205, 50};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kGrey{160, 160, 160};
inline constexpr Rgb kLightBlue{153, 204, 255};
inline constexpr Rgb kWhite{255, 255, 255};

// "red", "lime", ... for the colours above; "#rrggbb" for any other.
std::string gf_colourName(Rgb colour);

enum class DrawKind : std::uint8_t {
    fill,  // the rectangle [left, right) x [top, bottom)
    line,  // a one-pixel line from (left, top) to (right, bottom), last point excluded
    text,  // the text with its top-left corner at (left, top), transparent background
};

struct DrawItem {
    DrawKind kind = DrawKind::fill;
    int left = 0, top = 0, right = 0, bottom = 0;
    Rgb colour;
    std::string text;  // UTF-8, valid (texts that are not are never listed)

    bool operator==(const DrawItem&) const = default;
};

using DisplayList = std::vector<DrawItem>;

// Everything the painting reads, copied from the program's state at one
// moment (see app/paint_state.h), so that a list can be built from any state.
struct PaintState {
    // Title band.
    std::string programVersion;  // "a.b.c"

    // Indicator band: the simulator.
    bool simConnected = false;
    bool simRunning = false;  // display copy of the simulator's running flight
    bool userSizeKnown = true;
    std::string simName;    // the simulator's name and version
    std::string userTitle;  // the user aircraft's title
    std::string userStand;  // the stand under the user aircraft
    // ... RealTraffic.
    bool rtActive = false;
    bool rtBlocked = true;
    std::string rtVersion;
    std::int32_t trafficReader = 3;  // 1 receiving, 2 no data, 3 stopped
    std::int32_t qnhReader = 3;
    std::int32_t qnh = 0;
    std::uint64_t liveCount = 0;
    // ... counters.
    std::uint64_t liveryCount = 0;
    std::uint64_t simAddonCount = 0;
    std::uint64_t thirdPartyCount = 0;

    // Controls band: the settings whose labels change colour.
    bool scanLiveries = false;
    bool scanAirports = false;
    bool aerowinx = false;
    bool guidChanges = true;
    bool autoRange = true;
    bool airborneOnly = false;
    bool straightPushBacksOnly = false;
    bool initialLoadOnly = false;
    std::int32_t maxParkSel = 500;
    std::int32_t maxLiveSel = 500;
    bool settingsLocked = false;
    bool lightAircraftEnabled = true;  // the check boxes' enabled states
    bool helicoptersEnabled = true;
    bool highPerfEnabled = true;
    bool mailHint = false;  // the add-on scan zipped the off-line learned files
    bool parkFileLoaded = false;
    std::int32_t staticUpdateMinutes = 20;  // display copy

    // Park-statistics band.
    std::string parkAirportText;
    bool parkFileRead = false;
    bool parkFileFromHistory = false;
    std::string detailText1, detailText2, detailText3;
    std::int32_t trafficWeek = 0;
    bool staticPass = false;
    bool weekPass = false;
    std::string reservedStand;
    bool reservedStandConfirmed = false;
    std::uint64_t standUseUpdates = 0;
    std::uint64_t standCount = 0;
    std::uint64_t parkedLiveCount = 0;
    std::uint64_t staticCount = 0;
    std::uint64_t staticReplacedCount = 0;
    float liveFitAverage = -1.0f;
    float staticFitAverage = -1.0f;
    std::uint64_t maxPark = 0;
    std::int32_t maxParkPercent = 0;

    // Status band.
    std::string statusText;
    std::string errorText;
};

// The third title text and the address of the mail hint.
extern const char* const g_titleNote;
extern const char* const g_supportAddress;

// The whole client area: bands, lines, title, then the parts below in order.
DisplayList lf_paintMainWindow(const PaintState& state);
void lf_paintCounters(DisplayList& list, const PaintState& state);
void lf_paintLabels(DisplayList& list, const PaintState& state);
void lf_paintParkingStats(DisplayList& list, const PaintState& state);
void lf_paintStatusLine(DisplayList& list, const PaintState& state);
// Lists one text; a text that is not valid UTF-8 is logged and left out.
void lf_textOut(DisplayList& list, int x, int y, const std::string& text, Rgb colour);
