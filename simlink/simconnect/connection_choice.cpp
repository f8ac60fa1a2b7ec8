#include "simlink/simconnect/connection_choice.h"

#include <limits>

#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "platform/profile_files.h"
#include "simlink/simconnect/simconnect.h"

namespace simconnect {
namespace {

constexpr std::size_t kValueCapacity = 2048;  // characters of a cfg value, terminator included
constexpr std::size_t kAddressLength = 1024;  // characters kept of Address and Port

// The number that the leading digits give (an optional sign first), as the C
// runtime's string-to-integer functions read it; nothing without digits.
std::optional<long long> leadingNumber(std::u16string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text.remove_prefix(1);
    }
    if (text.empty() || text.front() < u'0' || text.front() > u'9') return std::nullopt;
    constexpr long long kCeiling = std::numeric_limits<std::uint32_t>::max();
    long long value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') break;
        value = std::min(kCeiling, value * 10 + (c - u'0'));
    }
    return negative ? -value : value;
}

// Step 5 of the connection choice for one file.
void readOneFile(const std::filesystem::path& file, const std::u16string& section, const RegistryPorts& ports,
                 ConnectionSettings& settings) {
    const auto value = [&](const char16_t* key) { return platform::profileString(file, section, key, kValueCapacity); };
    std::string protocol = gf_wideToUtf8(value(u"Protocol"));
    gf_toUpper(protocol);
    if (protocol == "AUTO" || protocol == "PIPE") {
        settings.protocol = Protocol::pipe;
    } else if (protocol == "IPV4" || protocol == "IPV6") {
        settings.protocol = protocol == "IPV4" ? Protocol::ipv4 : Protocol::ipv6;
        // The family's registry port stands unless this file names a port.
        const std::u16string& registryPort = settings.protocol == Protocol::ipv4 ? ports.ipv4 : ports.ipv6;
        if (!registryPort.empty()) settings.port = registryPort;
    }
    if (auto address = value(u"Address"); !address.empty()) settings.address = address.substr(0, kAddressLength);
    if (auto port = value(u"Port"); !port.empty()) settings.port = port.substr(0, kAddressLength);
    if (const auto size = leadingNumber(value(u"MaxReceiveSize")); size && *size > settings.maxReceiveSize)
        settings.maxReceiveSize = static_cast<std::uint32_t>(*size);
    if (const auto nagle = leadingNumber(value(u"DisableNagle"))) settings.disableNagle = *nagle != 0;
}

}  // namespace

std::u16string lf_cfgSection(std::uint32_t configIndex) {
    if (configIndex == 0) return u"SimConnect";
    std::u16string section = u"SimConnect.";
    for (const char c : std::to_string(configIndex)) section.push_back(static_cast<char16_t>(c));
    return section;
}

std::optional<ConnectionSettings> lf_readConnectionSettings(const std::vector<std::filesystem::path>& files,
                                                            std::uint32_t configIndex, const RegistryPorts& ports) {
    ConnectionSettings settings;
    if (configIndex == kNoConfigFiles) return settings;
    const std::u16string section = lf_cfgSection(configIndex);
    if (configIndex != 0) {
        bool held = false;
        for (const auto& file : files) held = held || platform::profileHasSection(file, section);
        if (!held) return std::nullopt;
    }
    for (const auto& file : files) readOneFile(file, section, ports, settings);
    return settings;
}

std::vector<ConnectAttempt> lf_connectionPlan(const ConnectionSettings& settings, const RegistryPorts& ports) {
    const ConnectAttempt lastPipe{Protocol::pipe, u".", u""};
    std::vector<ConnectAttempt> plan{{settings.protocol, settings.address, settings.port}};
    switch (settings.protocol) {
    case Protocol::pipe:
        if (settings.address.empty() || settings.address == u".") {
            plan.push_back({Protocol::ipv6, u"::1", ports.ipv6});
            plan.push_back({Protocol::ipv4, u"127.0.0.1", ports.ipv4});
            plan.push_back(lastPipe);
        }
        break;
    case Protocol::ipv6:
        if (settings.address == u"::1") {
            plan.push_back({Protocol::ipv4, u"127.0.0.1", ports.ipv4});
            plan.push_back(lastPipe);
        }
        break;
    case Protocol::ipv4:
        if (settings.address == u"127.0.0.1") plan.push_back(lastPipe);
        break;
    }
    return plan;
}

std::u16string lf_pipeName(const std::u16string& server, const std::u16string& name) {
    return u"\\\\" + (server.empty() ? std::u16string(u".") : server) + u"\\pipe\\" +
           (name.empty() ? std::u16string(u"Lockheed Martin Prepar3D v5\\SimConnect") : name);
}

}  // namespace simconnect
