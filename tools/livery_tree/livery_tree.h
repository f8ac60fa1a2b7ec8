// The aircraft folders of a simulator whose installed liveries are those of a
// livery results file: one folder per model code, its aircraft.cfg holding
// one [fltsim.N] section per livery (title, airline, cargo parking,
// registration), with the model and texture folders and the flight-model
// file each section names. The demo's stand-in simulator gets such a tree, so
// the program's livery scan finds exactly the titles the stand-in can create.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace livery_tree {

struct Livery {
    std::string airline;  // a
    std::string model;    // m
    bool cargo = false;   // c
    std::string title;    // t
    std::string regcode;  // r
};

// The liveries of a results file, in file order. Throws std::runtime_error
// when the file does not load or an element lacks a, m or t.
std::vector<Livery> readLiveries(const std::filesystem::path& resultsFile);

// The aircraft.cfg text (UTF-8, CR LF) of one model's liveries.
std::string aircraftCfg(const std::string& model, const std::vector<Livery>& liveries);

// Writes one folder per model below the folder; the models alternate
// between UTF-8 with a byte-order mark and UTF-16 (little endian, with its
// mark), as aircraft.cfg files come. Returns the number of folders.
int writeTree(const std::vector<Livery>& liveries, const std::filesystem::path& folder);

}  // namespace livery_tree
