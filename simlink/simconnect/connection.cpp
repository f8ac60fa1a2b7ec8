// The connection side of the library: opening a client handle over a named
// pipe or TCP, dispatching the received messages, and closing.
#include <algorithm>
#include <array>
#include <chrono>
#include <thread>

#include "platform/folders.h"
#include "platform/pipes.h"
#include "platform/registry.h"
#include "platform/sockets.h"
#include "simlink/simconnect/client.h"
#include "simlink/simconnect/connection_choice.h"
#include "simlink/simconnect/library_state.h"

std::recursive_mutex g_simConnectLock;
std::list<SimConnectClient*> g_clientHandles;
bool g_socketsStarted = false;
std::atomic<std::int32_t> g_liveTransports{0};
std::atomic<std::uint32_t> g_connectionCounter{0};
std::atomic<CfgFolderSource> g_cfgFolderSource{nullptr};

void gf_setSimConnectCfgFolders(CfgFolderSource source) { g_cfgFolderSource.store(source); }

namespace simconnect {
namespace {

using namespace std::chrono_literals;

constexpr const char16_t* kSimulatorKey = u"SOFTWARE\\Lockheed Martin\\Prepar3D v5";

// A port value of the simulator's key: at most 20 bytes with the terminator.
std::u16string lf_registryPort(const std::u16string& valueName) {
    platform::RegistryHandle key = nullptr;
    if (platform::registryOpenLocalMachine(kSimulatorKey, platform::kKeyRead, key) != platform::kRegSuccess) return {};
    std::array<char16_t, 10> buffer{};
    std::uint32_t bytes = sizeof buffer;
    const long status = platform::registryGetString(key, valueName, buffer.data(), bytes);
    platform::registryClose(key);
    if (status != platform::kRegSuccess) return {};
    const std::u16string_view value(buffer.data(), std::min<std::size_t>(bytes / sizeof(char16_t), buffer.size()));
    return std::u16string(value.substr(0, value.find(u'\0')));
}

std::vector<std::filesystem::path> lf_defaultCfgFolders() {
    std::error_code error;
    return {platform::publicDocumentsFolder(), platform::documentsFolder(), std::filesystem::current_path(error)};
}

// SimConnect.cfg in each folder where it exists, in the folders' order.
std::vector<std::filesystem::path> lf_cfgFiles() {
    const CfgFolderSource source = g_cfgFolderSource.load();
    std::vector<std::filesystem::path> files;
    for (const auto& folder : source != nullptr ? source() : lf_defaultCfgFolders()) {
        std::error_code error;
        if (folder.empty()) continue;
        const auto file = folder / "SimConnect.cfg";
        if (std::filesystem::is_regular_file(file, error)) files.push_back(file);
    }
    return files;
}

bool lf_startSockets() {
    const std::lock_guard lock(g_simConnectLock);
    if (!g_socketsStarted) g_socketsStarted = platform::socketsStartup();
    return g_socketsStarted;
}

// One attempt of the plan: the connected stream, or null.
std::shared_ptr<platform::AsyncStream> lf_connect(const ConnectAttempt& attempt, bool disableNagle) {
    std::uint32_t osError = 0;
    if (attempt.protocol == Protocol::pipe)
        return platform::openPipeStream(lf_pipeName(attempt.address, attempt.port), osError);
    if (attempt.port.empty() || !lf_startSockets()) return nullptr;
    const auto family = attempt.protocol == Protocol::ipv6 ? platform::IpFamily::v6 : platform::IpFamily::v4;
    return platform::connectTcpStream(family, attempt.address, attempt.port, disableNagle, osError);
}

// Chooses and opens the transport of a new handle.
SimConnectResult lf_openConnection(std::uint32_t configIndex, const NotifyTargets& targets,
                                   std::shared_ptr<Transport>& transport) {
    const RegistryPorts ports{lf_registryPort(u"SimConnect_Port_IPv4"), lf_registryPort(u"SimConnect_Port_IPv6")};
    const auto settings = lf_readConnectionSettings(lf_cfgFiles(), configIndex, ports);
    if (!settings) return kEInvalidArg;
    for (const ConnectAttempt& attempt : lf_connectionPlan(*settings, ports)) {
        auto stream = lf_connect(attempt, settings->disableNagle);
        if (!stream) continue;
        const auto kind = attempt.protocol == Protocol::pipe ? TransportKind::pipe : TransportKind::socket;
        transport = std::make_shared<Transport>(kind, std::move(stream), settings->maxReceiveSize, targets);
        transport->start();
        return kSOk;
    }
    return kEFail;
}

}  // namespace
}  // namespace simconnect

using namespace simconnect;

SimConnectResult SimConnect_Open(SimConnectClient** handle, const char* name, void* window, std::uint32_t userMessage,
                                 void* event, std::uint32_t configIndex) {
    if (handle == nullptr) return kEInvalidArg;
    *handle = nullptr;
    if (name == nullptr) return kEInvalidArg;
    auto client = std::make_unique<SimConnectClient>();
    const SimConnectResult connected = lf_openConnection(configIndex, {window, userMessage, event}, client->transport);
    if (connected != kSOk) return connected;
    const SimConnectResult sent = lf_sendOpenPacket(client.get(), name);
    if (sent != kSOk) {
        client->transport->close();
        return sent;
    }
    {
        const std::lock_guard lock(g_simConnectLock);
        g_clientHandles.push_back(client.get());
    }
    *handle = client.release();
    return kSOk;
}

SimConnectResult SimConnect_CallDispatch(SimConnectClient* handle, DispatchProc dispatch, void* context) {
    if (handle == nullptr) return kEFail;
    Transport& transport = *handle->transport;
    for (;;) {
        // Messages are queued before a break is stored: when the break was
        // seen before the queue was found empty, every message has been given.
        const bool broken = transport.broken();
        const auto message = transport.takeMessage();
        if (!message) return broken ? transport.breakCode() : kSOk;
        if (message->bytes.size() >= 12 && dispatch != nullptr)
            dispatch(message->bytes.data(), static_cast<std::uint32_t>(message->bytes.size()), context);
    }
}

SimConnectResult SimConnect_Close(SimConnectClient* handle) {
    if (handle == nullptr) return kEFail;
    std::this_thread::sleep_for(100ms);
    handle->transport->discardMessages();
    bool lastHandle = false;
    {
        const std::lock_guard lock(g_simConnectLock);
        g_clientHandles.remove(handle);
        lastHandle = g_clientHandles.empty();
    }
    handle->transport->close();
    delete handle;
    std::this_thread::sleep_for(250ms);
    if (lastHandle) {
        for (int wait = 0; wait < 20 && g_liveTransports.load() > 0; ++wait) std::this_thread::sleep_for(250ms);
        const std::lock_guard lock(g_simConnectLock);
        if (g_socketsStarted && g_clientHandles.empty()) {
            platform::socketsCleanup();
            g_socketsStarted = false;
        }
    }
    return kSOk;
}
