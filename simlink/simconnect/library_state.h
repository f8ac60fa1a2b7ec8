// The library-wide state of the SimConnect client library.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <list>
#include <mutex>
#include <vector>

struct SimConnectClient;

// The folders searched for SimConnect.cfg, in order; tests replace the source.
using CfgFolderSource = std::vector<std::filesystem::path> (*)();

extern std::recursive_mutex g_simConnectLock;           // the library lock; any thread; recursive for its holder
extern std::list<SimConnectClient*> g_clientHandles;    // open handles; any thread; under g_simConnectLock
extern bool g_socketsStarted;                           // the socket library is started; under g_simConnectLock
extern std::atomic<std::int32_t> g_liveTransports;      // transports not yet freed; any thread; atomic
extern std::atomic<std::uint32_t> g_connectionCounter;  // the last connection number given; any thread; atomic
extern std::atomic<CfgFolderSource> g_cfgFolderSource;  // null = the default folders; any thread; atomic

// Replaces the folders searched for SimConnect.cfg (nullptr restores Public
// Documents, Documents and the current folder).
void gf_setSimConnectCfgFolders(CfgFolderSource source);
