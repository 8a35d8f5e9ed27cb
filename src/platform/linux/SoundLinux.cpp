// Sounds through libcanberra, loaded at run time so that neither the core nor the
// command line depends on it (QtMultimedia crashes without GStreamer plug-ins).
#include "platform/FileSystem.h"
#include "platform/Sound.h"

#include <dlfcn.h>

#include <mutex>

namespace zembra::platform {

namespace {

using Create = int (*)(void **context);
using Play = int (*)(void *context, unsigned id, ...);

struct Canberra {
    Play play = nullptr;
    void *context = nullptr; // kept for the whole run: playback outlives the call
};

Canberra *canberra() {
    static std::once_flag once;
    static Canberra loaded;
    std::call_once(once, [] {
        void *library = dlopen("libcanberra.so.0", RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return;
        const auto create = reinterpret_cast<Create>(dlsym(library, "ca_context_create"));
        const auto play = reinterpret_cast<Play>(dlsym(library, "ca_context_play"));
        void *context = nullptr;
        if (create && play && create(&context) == 0) {
            loaded.play = play;
            loaded.context = context;
        }
    });
    return loaded.context ? &loaded : nullptr;
}

std::mutex &playMutex() {
    static std::mutex m;
    return m;
}

} // namespace

bool playSoundFile(const std::filesystem::path &file) {
    if (!isRegularFile(file))
        return false;
    Canberra *c = canberra();
    if (!c)
        return false;
    std::lock_guard lock(playMutex());
    return c->play(c->context, 0, "media.filename", file.c_str(),
                   static_cast<const char *>(nullptr)) == 0;
}

bool playCompletionEventSound() {
    Canberra *c = canberra();
    if (!c)
        return false;
    std::lock_guard lock(playMutex());
    return c->play(c->context, 0, "event.id", "complete", static_cast<const char *>(nullptr)) == 0;
}

} // namespace zembra::platform
