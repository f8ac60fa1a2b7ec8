// Backup generations of a file: the mark "0" is inserted before the last '.'
// of the file name once per generation (Log.txt, Log0.txt, Log00.txt, Log000.txt).
#pragma once

#include <filesystem>
#include <optional>

// The name of generation n (1 to 3), or none when the file name has no dot.
std::optional<std::filesystem::path> gf_generationName(const std::filesystem::path& path, int generation);
// Keeps up to three backup copies; the file itself stays in place.
void gf_saveUpto3GenerationsOf(const std::filesystem::path& path);
// Keeps one backup copy; true when there was nothing to copy or the copy succeeded.
bool gf_save1GenerationOf(const std::filesystem::path& path);
// One copy step: nothing when the source is missing; a failure is logged.
void lf_copyGeneration(const std::filesystem::path& source, const std::filesystem::path& target);
