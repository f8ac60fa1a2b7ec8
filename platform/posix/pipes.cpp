// Local named pipes stand as Unix-domain sockets in the local pipe folder.
#include "platform/pipes.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>

#include "platform/posix/fd_stream.h"

namespace platform {
namespace {

std::mutex g_pipeFolderMutex;
std::filesystem::path g_pipeFolder;  // guarded by g_pipeFolderMutex; empty = the default

std::filesystem::path pipeFolder() {
    const std::lock_guard lock(g_pipeFolderMutex);
    if (!g_pipeFolder.empty()) return g_pipeFolder;
    // The same search as the stand-in simulator's, so both meet in one folder.
    for (const char* variable : {"VLNT_PIPE_DIR", "XDG_RUNTIME_DIR"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    std::error_code error;
    return std::filesystem::temp_directory_path(error);
}

bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t k = 0; k < prefix.size(); ++k) {
        char16_t c = text[k];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != prefix[k]) return false;
    }
    return true;
}

// The socket address of "\\.\pipe\<name>", or the Windows error of a name
// that cannot stand for a local pipe.
std::optional<sockaddr_un> socketAddressOf(const std::u16string& name, std::uint32_t& osError) {
    constexpr std::u16string_view localPrefix = u"\\\\.\\pipe\\";
    if (!startsWithNoCase(name, localPrefix) || name.size() == localPrefix.size()) {
        osError = kErrorBadNetPath;
        return std::nullopt;
    }
    std::u16string fileName = name.substr(localPrefix.size());
    for (char16_t& c : fileName)
        if (c == u'\\' || c == u'/') c = u'_';
    const std::string path = (pipeFolder() / std::filesystem::path(fileName)).string();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        osError = kErrorFilenameTooLong;
        return std::nullopt;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
}

}  // namespace

void setLocalPipeFolder(const std::filesystem::path& folder) {
    const std::lock_guard lock(g_pipeFolderMutex);
    g_pipeFolder = folder;
}

std::shared_ptr<AsyncStream> openPipeStream(const std::u16string& name, std::uint32_t& osError) {
    const auto address = socketAddressOf(name, osError);
    if (!address) return nullptr;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        osError = posix_io::windowsErrorOf(errno);
        return nullptr;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        // A socket file without a listener is a pipe that no server offers.
        osError = kErrorFileNotFound;
        ::close(fd);
        return nullptr;
    }
    auto stream = posix_io::startFdStream(fd);
    if (!stream) osError = posix_io::windowsErrorOf(EMFILE);
    return stream;
}

struct PipeServer::Impl : posix_io::FdServer {
    std::string path;
};

PipeServer::PipeServer(const std::u16string& name, bool) : impl_(std::make_unique<Impl>()) {
    std::uint32_t error = 0;
    const auto address = socketAddressOf(name, error);
    if (!address) return;
    impl_->path = address->sun_path;
    ::unlink(impl_->path.c_str());  // left by a server that ended without cleaning up
    impl_->listenOn(AF_UNIX, &*address, sizeof *address);
}

PipeServer::~PipeServer() {
    if (ok()) ::unlink(impl_->path.c_str());
}

bool PipeServer::ok() const { return impl_->listener >= 0; }
bool PipeServer::accept(int timeoutMs) { return impl_->accept(timeoutMs); }
std::ptrdiff_t PipeServer::receive(std::span<std::byte> buffer, int timeoutMs) {
    return impl_->receive(buffer, timeoutMs);
}
bool PipeServer::send(std::span<const std::byte> data) { return impl_->send(data); }
void PipeServer::disconnect() { impl_->disconnect(); }

}  // namespace platform
