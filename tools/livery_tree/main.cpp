// livery_tree --results <LiveriesScanned.xml> --out <folder>: writes the
// aircraft folders whose scan gives the results file's liveries.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/livery_tree/livery_tree.h"

int main(int argc, char** argv) {
    std::string results, out;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--results") {
            results = argv[i + 1];
        } else if (option == "--out") {
            out = argv[i + 1];
        } else {
            results.clear();
            break;
        }
    }
    if (results.empty() || out.empty() || argc % 2 == 0) {
        std::fprintf(stderr, "usage: livery_tree --results <LiveriesScanned.xml> --out <folder>\n");
        return 2;
    }
    try {
        const auto liveries = livery_tree::readLiveries(results);
        const int folders = livery_tree::writeTree(liveries, out);
        std::printf("%zu liveries in %d aircraft folders below %s\n", liveries.size(), folders, out.c_str());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "livery_tree: %s\n", e.what());
        return 1;
    }
}
