// The program's file and folder names. Relative ones are relative to the
// current folder, which start-up requires to be the install folder.
#pragma once

#include <filesystem>
#include <string>

using Path = std::filesystem::path;

extern const Path g_inputFolder;
extern const std::string g_dbaseEncName, g_dbaseXmlName;
extern const Path g_dbaseEncPath, g_dbaseXmlPath;
extern const std::string g_airportsEncName, g_airportsXmlName;
extern const Path g_airportsEncPath, g_airportsXmlPath;
extern const std::string g_aigRegcodesEncName, g_aigRegcodesXmlName;
extern const Path g_aigRegcodesEncPath, g_aigRegcodesXmlPath;
extern const Path g_myRegcodesFolder;
extern const Path g_outputFolder;
extern const Path g_liveriesScannedPath;
extern const Path g_infoFolder;
extern const Path g_errorsFolder;
extern const Path g_objectIdListPath;
extern const Path g_airportsScanLogPath;
extern const Path g_noFltsimSectionPath;
extern const Path g_regcodeConversionsPath;
extern const Path g_myMultRegcodesPath;
extern const Path g_inlineRegcodesPath;
extern const Path g_invalidAirlineCodesPath;
extern const Path g_invalidAircraftCodesPath;
extern const Path g_fixesPath;
extern const Path g_invalidAircraftCfgPath;
extern const Path g_incompleteFltsimPath;
extern const Path g_airportsFolder;
extern const std::string g_learnedName;
extern const Path g_learnedFolder;
extern const Path g_learnedStockFolder;
extern const Path g_learnedSimaddonFolder;
extern const Path g_learnedThirdpartyFolder;
extern const Path g_myOrbxFolder;
extern const Path g_myThirdpartyFolder;
extern const Path g_myParkAirportsPath;
extern const std::string g_tbloName;
extern const std::string g_tbloZipName;
extern const std::string g_docsFolderName;
extern const std::string g_newVersionFolder;
extern const std::string g_installerName;
extern const std::string g_releaseNotesName;
extern const std::string g_insideSystemsName;
extern const std::string g_parametersXmlName;
// The roaming application-data folder / "Velantra_P3D"; just the name when
// the roaming folder is unknown.
extern const Path g_appDataFolder;
extern const Path g_parametersPath;
extern const std::string g_parametersPathUtf8;

// The placeholder code of the airport list and its single letter.
extern const std::string g_placeholderCode;  // "XX"
inline constexpr char kPlaceholderLetter = 'X';
// The airline code of aircraft without a known airline.
extern const std::string g_genericAirlineCode;  // "ZZZ"
