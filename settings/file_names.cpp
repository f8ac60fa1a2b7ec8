#include "settings/file_names.h"

#include "foundation/text_convert.h"
#include "platform/folders.h"
#include "settings/program_version.h"

namespace {
const std::string kStockName = "stock";
const std::string kSimaddonName = "simaddon";
const std::string kThirdpartyName = "thirdparty";

Path appDataFolder() {
    const Path roaming = platform::roamingAppDataFolder();
    return roaming.empty() ? Path(kProgramName) : roaming / kProgramName;
}
}  // namespace

const Path g_inputFolder = "input";
const std::string g_dbaseEncName = "dbase.enc";
const std::string g_dbaseXmlName = "dbase.xml";
const Path g_dbaseEncPath = g_inputFolder / g_dbaseEncName;
const Path g_dbaseXmlPath = g_inputFolder / g_dbaseXmlName;
const std::string g_airportsEncName = "airports.enc";
const std::string g_airportsXmlName = "airports.xml";
const Path g_airportsEncPath = g_inputFolder / g_airportsEncName;
const Path g_airportsXmlPath = g_inputFolder / g_airportsXmlName;
const std::string g_aigRegcodesEncName = "AIG-regcodes.enc";
const std::string g_aigRegcodesXmlName = "AIG-regcodes.xml";
const Path g_aigRegcodesEncPath = g_inputFolder / g_aigRegcodesEncName;
const Path g_aigRegcodesXmlPath = g_inputFolder / g_aigRegcodesXmlName;
const Path g_myRegcodesFolder = g_inputFolder / "my_regcodes";
const Path g_outputFolder = "output";
const Path g_liveriesScannedPath = g_outputFolder / "LiveriesScanned.xml";
const Path g_infoFolder = g_outputFolder / "info";
const Path g_errorsFolder = g_outputFolder / "errors";
const Path g_objectIdListPath = g_infoFolder / "ObjectIdList.txt";
const Path g_airportsScanLogPath = g_infoFolder / "AirportsScanLog.txt";
const Path g_noFltsimSectionPath = g_infoFolder / "AircraftCfgWithNoFltsimSection.txt";
const Path g_regcodeConversionsPath = g_infoFolder / "RegistrationCodeConversions.txt";
const Path g_myMultRegcodesPath = g_infoFolder / "MyMultRegcodes.txt";
const Path g_inlineRegcodesPath = g_errorsFolder / "InlineRegcodes.txt";
const Path g_invalidAirlineCodesPath = g_errorsFolder / "InvalidAirlineCodes.txt";
const Path g_invalidAircraftCodesPath = g_errorsFolder / "InvalidAircraftCodes.txt";
const Path g_fixesPath = g_errorsFolder / "Fixes.txt";
const Path g_invalidAircraftCfgPath = g_errorsFolder / "InvalidAircraftCfgFiles.txt";
const Path g_incompleteFltsimPath = g_errorsFolder / "IncompleFltsimSections.txt";
const Path g_airportsFolder = "airports";
const std::string g_learnedName = "learned";
const Path g_learnedFolder = g_airportsFolder / g_learnedName;
const Path g_learnedStockFolder = g_learnedFolder / kStockName;
const Path g_learnedSimaddonFolder = g_learnedFolder / kSimaddonName;
const Path g_learnedThirdpartyFolder = g_learnedFolder / kThirdpartyName;
const Path g_myOrbxFolder = g_airportsFolder / "my_ORBX";
const Path g_myThirdpartyFolder = g_airportsFolder / "my_thirdparty";
const Path g_myParkAirportsPath = g_airportsFolder / "my_park_airports.txt";
const std::string g_tbloName = "tblo";
const std::string g_tbloZipName = "tblo.zip";
const std::string g_docsFolderName = "docs";
const std::string g_newVersionFolder = "new_version";
const std::string g_installerName = "install_new_version.exe";
const std::string g_releaseNotesName = "ReleaseNotes.pdf";
const std::string g_insideSystemsName = "InsideSystems";
const std::string g_parametersXmlName = "parameters.xml";
const Path g_appDataFolder = appDataFolder();
const Path g_parametersPath = g_appDataFolder / g_parametersXmlName;
const std::string g_parametersPathUtf8 = gf_pathToUtf8(g_parametersPath);

const std::string g_placeholderCode = "XX";
const std::string g_genericAirlineCode = "ZZZ";
