// Overlapped streams of the Windows build: a pipe handle or a socket bound to
// the system thread pool's I/O completion (BindIoCompletionCallback), whose
// completions are delivered on pool threads.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

#include "platform/async_stream.h"

namespace platform::win32_io {

enum class StreamKind { pipe, socket };

// Takes over the handle (a pipe handle, or a SOCKET cast to HANDLE) and binds
// it to the pool. Null with the error in osError when binding fails (the
// handle is then closed).
std::shared_ptr<AsyncStream> bindOverlappedStream(HANDLE handle, StreamKind kind, std::uint32_t& osError);

}  // namespace platform::win32_io
