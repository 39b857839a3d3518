#include "platform/shared_library.h"

#include <dlfcn.h>

namespace varcel::library_detail {

void Closer::operator()(void* library) const { ::dlclose(library); }

void* open(const char* soname, std::string& missing)
{
    void* library = ::dlopen(soname, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        missing = ::dlerror();
    return library;
}

bool find(void* library, const char* name, void** into, std::string& missing)
{
    ::dlerror();
    *into = ::dlsym(library, name);
    if (*into)
        return true;
    const char* why = ::dlerror();
    missing = why ? why : std::string(name) + " is missing";
    return false;
}

} // namespace varcel::library_detail
