// The program's one log, Log.txt in the current folder. Every thread writes
// whole lines through these writers; g_logMutex is a leaf lock.
#pragma once

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>

extern std::ofstream g_logStream;  // all threads; guarded by g_logMutex
extern std::mutex g_logMutex;      // leaf lock: nothing is locked while it is held

inline constexpr const char* kLogFileName = "Log.txt";

void gf_log(std::string_view text);
void gf_logMarked(std::string_view text);     // "==> " prefix, flushed
void gf_logContinued(std::string_view text);  // ten-blank prefix
void gf_logAndFlush(std::string_view text);
// Writes nothing while a stop or the end of the program has been requested.
void gf_logUnlessStopping(const std::string& text);
// What gf_logUnlessStopping asks; set once at start by the program (none: never stopping).
using StopCheck = bool (*)();
void gf_setLogStopCheck(StopCheck check);
// Flushes the stream when it is open.
void gf_flushLog();

// Shifts the previous logs into three generations, opens Log.txt and writes
// the header line. Throws std::runtime_error "Failed to write file Log.txt".
void gf_openLog();
// Closes the stream (tests and program end).
void gf_closeLog();
