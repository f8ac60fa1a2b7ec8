// How a client handle connects: the settings that the SimConnect.cfg files
// give, and the connection attempts they lead to, in order.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "simlink/simconnect/receive_cutter.h"

namespace simconnect {

enum class Protocol {
    pipe,  // "Auto" or "Pipe": the named pipe, falling back to TCP on this machine
    ipv6,
    ipv4,
};

struct ConnectionSettings {
    Protocol protocol = Protocol::pipe;
    std::u16string address;  // TCP host, or the pipe's server
    std::u16string port;     // TCP port, or the pipe's name
    std::uint32_t maxReceiveSize = kDefaultMaxMessageSize;
    bool disableNagle = false;
};

// The simulator's SimConnect ports from the registry (empty when unset).
struct RegistryPorts {
    std::u16string ipv4;
    std::u16string ipv6;
};

struct ConnectAttempt {
    Protocol protocol = Protocol::pipe;  // pipe, ipv6 or ipv4
    std::u16string address;
    std::u16string port;
    bool operator==(const ConnectAttempt&) const = default;
};

// The section of a configuration index: "SimConnect" or "SimConnect.<index>".
std::u16string lf_cfgSection(std::uint32_t configIndex);

// Reads the given SimConnect.cfg files in order, each value found overriding
// the earlier ones. No value when configIndex (not 0, not kNoConfigFiles)
// names a section that no file holds. kNoConfigFiles reads no file.
std::optional<ConnectionSettings> lf_readConnectionSettings(const std::vector<std::filesystem::path>& files,
                                                            std::uint32_t configIndex, const RegistryPorts& ports);

// The attempts to make, in order, until one connects.
std::vector<ConnectAttempt> lf_connectionPlan(const ConnectionSettings& settings, const RegistryPorts& ports);

// "\\<server>\pipe\<name>", with "." for an empty server and SimConnect's
// default pipe name for an empty name.
std::u16string lf_pipeName(const std::u16string& server, const std::u16string& name);

}  // namespace simconnect
