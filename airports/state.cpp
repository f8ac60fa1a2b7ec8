#include "airports/state.h"

std::vector<AirportRecord> g_airports;
std::unordered_set<AirportCode, FixedCodeHash> g_airportCodes;
bool g_airportsLoaded = false;

std::mutex g_parkAirportsMutex;
std::list<ParkAirportEntry> g_parkAirportList;
AirportRecord g_parkAirport;
std::mutex g_standsMutex;

std::atomic<bool> g_airportFileRead{false};
std::atomic<bool> g_handmade{false};
std::atomic<std::int32_t> g_rtTrafficWeek{0};
std::atomic<std::int64_t> g_standCount{0};
QualityFactors g_qualityFactors;
SharedText g_parkPublisherText;
SharedText g_qualityText;
std::filesystem::path g_learnedFilePath;
std::string g_learnedFileFault;
