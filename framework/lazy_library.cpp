#include "framework/lazy_library.h"

#include <dlfcn.h>

namespace velmo {

void* LazyLibrary::symbol(const char* name) {
    if (!tried_) {
        tried_ = true;
        handle_ = dlopen(soname_, RTLD_NOW | RTLD_LOCAL);
        if (!handle_) {
            const char* why = dlerror();
            error_ = why ? why : std::string(soname_) + ": cannot be opened";
        }
    }
    if (!handle_) return nullptr;
    dlerror();
    void* found = dlsym(handle_, name);
    if (found) {
        error_.clear();
    } else {
        const char* why = dlerror();
        error_ = why ? why : std::string(soname_) + ": " + name + " not found";
    }
    return found;
}

}  // namespace velmo
