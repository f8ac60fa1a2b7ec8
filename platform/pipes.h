// Named pipes: the overlapped client end that the SimConnect library opens,
// and a blocking server end for test peers and stand-ins.
//
// Windows uses the real named pipes. The POSIX build has none: a pipe on this
// machine ("\\.\pipe\<name>") is a Unix-domain socket in the local pipe
// folder, named after the pipe with '\' and '/' replaced by '_'; pipes on
// other machines cannot be opened (error 53).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "platform/async_stream.h"
#include "platform/server_end.h"

namespace platform {

// CreateFileW(name, read and write, no sharing, OPEN_EXISTING,
// FILE_FLAG_OVERLAPPED); while every instance is busy (error 231) it waits up
// to 5 seconds with WaitNamedPipeW and tries again. Null with the error in
// osError on failure.
std::shared_ptr<AsyncStream> openPipeStream(const std::u16string& name, std::uint32_t& osError);

// POSIX: the folder of the sockets that stand for local pipes ($VLNT_PIPE_DIR, else $XDG_RUNTIME_DIR,
// else the temporary folder, until set). No effect on Windows.
void setLocalPipeFolder(const std::filesystem::path& folder);

// The server end of a named pipe, one client at a time.
class PipeServer final : public ServerEnd {
public:
    // Creates a pipe instance ready for a client. With messageMode the pipe
    // is a message pipe (every write is one message); ignored on POSIX.
    explicit PipeServer(const std::u16string& name, bool messageMode = false);
    ~PipeServer() override;
    PipeServer(const PipeServer&) = delete;
    PipeServer& operator=(const PipeServer&) = delete;

    bool ok() const override;
    bool accept(int timeoutMs) override;
    std::ptrdiff_t receive(std::span<std::byte> buffer, int timeoutMs) override;
    bool send(std::span<const std::byte> data) override;
    // On Windows this closes the instance; the next accept() makes a new one.
    void disconnect() override;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
