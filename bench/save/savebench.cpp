// Saves a settings document COUNT times the way the close does, and reports the times.
//   savebench FILE COUNT
// FILE is loaded as the settings document (the default document when it does not exist); save i
// writes LeftTabDir "/left/i" and RightTabDir "/right/i". Last line:
//   COUNT saves, median S s, max S s
#include "settings/settings_file.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: savebench FILE COUNT\n");
        return 2;
    }
    const std::string path = argv[1];
    const int count = std::stoi(argv[2]);
    if (count < 1) {
        std::fprintf(stderr, "savebench: COUNT must be at least 1\n");
        return 2;
    }
    OpenedSettings opened = openSettingsFile(path);
    if (opened.problem) {
        std::fprintf(stderr, "savebench: %s\n", opened.problem->c_str());
        return 1;
    }
    RunSettings run = readRunSettings(opened.document);
    std::vector<double> seconds;
    seconds.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        run.LeftTabDir = "/left/" + std::to_string(i);
        run.RightTabDir = "/right/" + std::to_string(i);
        const auto begun = std::chrono::steady_clock::now();
        if (const std::string failure = saveRunSettings(opened.document, run, path);
            !failure.empty()) {
            std::fprintf(stderr, "savebench: save %d failed: %s\n", i, failure.c_str());
            return 1;
        }
        seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count());
    }
    const double slowest = *std::max_element(seconds.begin(), seconds.end());
    std::nth_element(seconds.begin(), seconds.begin() + count / 2, seconds.end());
    std::printf("%d saves, median %.6f s, max %.6f s\n", count, seconds[count / 2], slowest);
    return 0;
}
