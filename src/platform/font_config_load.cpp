#include "platform/font_config_load.h"

#include <fontconfig/fontconfig.h>

#include <mutex>
#include <system_error>
#include <thread>

namespace {

// The reading thread, joined by the first wait or at the process's end.
struct FontConfigLoad {
    std::mutex mutex;
    std::jthread reader;
};

FontConfigLoad& load() {
    static FontConfigLoad instance;
    return instance;
}

} // namespace

void beginFontConfigLoad() {
    static std::once_flag begun;
    std::call_once(begun, [] {
        try {
            load().reader = std::jthread([] { FcInit(); });
        } catch (const std::system_error&) {
            // No thread to spare: the font database reads it on first use, as without this.
        }
    });
}

void awaitFontConfigLoad() {
    FontConfigLoad& state = load();
    const std::lock_guard lock(state.mutex);
    if (state.reader.joinable())
        state.reader.join();
}
