#include "support/simconnect_peer.h"

#include <bit>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

#include "platform/registry.h"
#include "simlink/simconnect/library_state.h"
#include "support/temp_dir.h"

namespace testing_support {

Bytes hexBytes(std::string_view digits) {
    Bytes bytes;
    int high = -1;
    for (const char c : digits) {
        if (c == ' ' || c == '\n') continue;
        const int value = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c - 'A' + 10;
        if (value < 0 || value > 15) throw std::invalid_argument("hexBytes: not a hexadecimal digit");
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<std::byte>(high * 16 + value));
            high = -1;
        }
    }
    if (high >= 0) throw std::invalid_argument("hexBytes: odd number of digits");
    return bytes;
}

Bytes& appendU32(Bytes& bytes, std::uint32_t value) {
    for (int k = 0; k < 4; ++k) bytes.push_back(static_cast<std::byte>(value >> (8 * k)));
    return bytes;
}

std::uint32_t u32At(const Bytes& packet, std::size_t offset) {
    std::uint32_t v = 0;
    for (int k = 3; k >= 0; --k)
        v = v << 8 | std::to_integer<std::uint32_t>(packet.at(offset + static_cast<std::size_t>(k)));
    return v;
}

double f64At(const Bytes& packet, std::size_t offset) {
    const std::uint64_t low = u32At(packet, offset), high = u32At(packet, offset + 4);
    return std::bit_cast<double>(high << 32 | low);
}

std::string textAt(const Bytes& packet, std::size_t offset) {
    return std::string(reinterpret_cast<const char*>(&packet.at(offset)));
}

std::uint32_t packetCode(const Bytes& packet) { return u32At(packet, 8) & 0xFFu; }

Bytes& appendF64(Bytes& bytes, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int k = 0; k < 8; ++k) bytes.push_back(static_cast<std::byte>(bits >> (8 * k)));
    return bytes;
}

Bytes& appendText(Bytes& bytes, std::string_view text, std::size_t fieldSize) {
    for (std::size_t k = 0; k < fieldSize; ++k)
        bytes.push_back(k < text.size() ? static_cast<std::byte>(text[k]) : std::byte{0});
    return bytes;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes recvMessage(std::uint32_t id, std::initializer_list<std::uint32_t> fields) {
    Bytes bytes;
    appendU32(bytes, static_cast<std::uint32_t>(12 + 4 * fields.size()));
    appendU32(bytes, 4);
    appendU32(bytes, id);
    for (const std::uint32_t field : fields) appendU32(bytes, field);
    return bytes;
}

Bytes openMessage(std::string_view name, std::uint32_t major, std::uint32_t minor) {
    Bytes bytes;
    appendU32(bytes, 308);
    appendU32(bytes, 4);
    appendU32(bytes, 2);
    appendText(bytes, name, 256);
    for (const std::uint32_t field : {major, minor, 0u, 0u, 4u, 0u, 0u, 0u, 0u, 0u}) appendU32(bytes, field);
    return bytes;
}

std::unique_ptr<SimPeer> SimPeer::overTcp(platform::IpFamily family) {
    auto server =
        std::make_unique<platform::TcpServer>(family, family == platform::IpFamily::v6 ? "::1" : "127.0.0.1", 0);
    const std::uint16_t port = server->port();
    return std::unique_ptr<SimPeer>(new SimPeer(std::move(server), port));
}

std::unique_ptr<SimPeer> SimPeer::overPipe(const std::u16string& name, bool messageMode) {
    return std::unique_ptr<SimPeer>(new SimPeer(std::make_unique<platform::PipeServer>(name, messageMode), 0));
}

bool SimPeer::ok() const { return server_->ok(); }
std::uint16_t SimPeer::port() const { return port_; }
bool SimPeer::accept(int timeoutMs) { return server_->accept(timeoutMs); }
bool SimPeer::send(const Bytes& bytes) { return server_->send(bytes); }
void SimPeer::disconnect() { server_->disconnect(); }

Bytes SimPeer::readPacket(int timeoutMs) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const auto wanted = [&]() -> std::size_t {
        if (pending_.size() < 4) return 4;
        std::uint32_t size = 0;
        for (int k = 3; k >= 0; --k) size = size << 8 | std::to_integer<std::uint32_t>(pending_[k]);
        return std::max<std::size_t>(size, 4);
    };
    while (pending_.size() < wanted()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return {};
        Bytes chunk(65536);
        const auto n = server_->receive(chunk, static_cast<int>(left.count()));
        if (n <= 0) return {};
        pending_.insert(pending_.end(), chunk.begin(), chunk.begin() + n);
    }
    const auto size = static_cast<std::ptrdiff_t>(wanted());
    Bytes packet(pending_.begin(), pending_.begin() + size);
    pending_.erase(pending_.begin(), pending_.begin() + size);
    return packet;
}

bool SimPeer::quietFor(int timeoutMs) {
    if (!pending_.empty()) return false;
    Bytes chunk(4096);
    const auto n = server_->receive(chunk, timeoutMs);
    if (n > 0) pending_.insert(pending_.end(), chunk.begin(), chunk.begin() + n);
    return n <= 0;
}

namespace {
std::vector<std::filesystem::path> g_cfgFolders;  // the test thread's folders for the library
std::vector<std::filesystem::path> testCfgFolders() { return g_cfgFolders; }
}  // namespace

ScopedCfgFolders::ScopedCfgFolders(std::vector<std::filesystem::path> folders) {
    g_cfgFolders = std::move(folders);
    gf_setSimConnectCfgFolders(testCfgFolders);
}

ScopedCfgFolders::~ScopedCfgFolders() {
    gf_setSimConnectCfgFolders(nullptr);
    g_cfgFolders.clear();
}

void writeSimConnectCfg(const std::filesystem::path& folder, const std::string& text) {
    writeFile(folder / "SimConnect.cfg", text);
}

SimConnectClient* openClientToPeer(SimPeer& peer, const std::filesystem::path& cfgFolder) {
    writeSimConnectCfg(cfgFolder,
                       "[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=" + std::to_string(peer.port()) + "\n");
    SimConnectClient* handle = nullptr;
    if (SimConnect_Open(&handle, "Velantra_P3D", nullptr, 0, nullptr, 0) != simconnect::kSOk) return nullptr;
    if (!peer.accept() || peer.readPacket().size() != 296u) {
        SimConnect_Close(handle);
        return nullptr;
    }
    return handle;
}

void setRegistryPorts(const std::string& ipv4, const std::string& ipv6) {
    const std::pair<const char*, const std::string*> values[] = {{"SimConnect_Port_IPv4", &ipv4},
                                                                 {"SimConnect_Port_IPv6", &ipv6}};
#ifdef _WIN32
    for (const auto& [name, port] : values) {
        const std::string key = "\"HKLM\\SOFTWARE\\Lockheed Martin\\Prepar3D v5\"";
        const std::string command = port->empty()
                                        ? "reg delete " + key + " /v " + name + " /f >NUL 2>&1"
                                        : "reg add " + key + " /v " + name + " /t REG_SZ /d " + *port + " /f >NUL 2>&1";
        std::system(command.c_str());
    }
#else
    const std::u16string key = u"SOFTWARE\\Lockheed Martin\\Prepar3D v5";
    platform::fake_registry::clear();
    platform::fake_registry::addKey(key);
    for (const auto& [name, port] : values) {
        if (port->empty()) continue;
        const std::string nameText(name);
        platform::fake_registry::setString(key, std::u16string(nameText.begin(), nameText.end()),
                                           std::u16string(port->begin(), port->end()));
    }
#endif
}

namespace {
void collect(const std::byte* message, std::uint32_t size, void* context) {
    static_cast<std::vector<Bytes>*>(context)->emplace_back(message, message + size);
}
}  // namespace

Dispatched dispatchUntil(SimConnectClient* handle, std::size_t count, platform::Event& messages) {
    Dispatched out;
    for (;;) {
        out.result = SimConnect_CallDispatch(handle, collect, &out.messages);
        if (out.result < 0 || out.messages.size() >= count) return out;
        if (!messages.wait(kSafetyMs)) return out;
    }
}

}  // namespace testing_support
