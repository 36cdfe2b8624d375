// langbench FILE [COUNT]: loads the language file COUNT times (default 1) into a language table
// the way the window does (one streaming pass that fills the table, then the swap) and prints
// each load's time, then "N keys, median S s". Exit status 1, with the reason, when the file is
// refused.
#include "settings/language_table.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: langbench FILE [COUNT]\n";
        return 2;
    }
    const std::string file = argv[1];
    const int count = argc == 3 ? std::max(1, std::atoi(argv[2])) : 1;
    LanguageTable table;
    std::vector<double> seconds;
    for (int run = 0; run < count; ++run) {
        const auto start = std::chrono::steady_clock::now();
        if (const std::optional<std::string> failure = table.load(file)) {
            std::cerr << "langbench: " << file << " refused: " << *failure << '\n';
            return 1;
        }
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        std::printf("load %d: %.4f s\n", run + 1, seconds.back());
    }
    std::sort(seconds.begin(), seconds.end());
    std::printf("%zu keys, median %.4f s\n", table.size(), seconds[seconds.size() / 2]);
    return 0;
}
