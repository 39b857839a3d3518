#include "platform/shared_library.h"

#include <dlfcn.h>

namespace varcel {

void SharedLibrary::Closer::operator()(void* handle) const { ::dlclose(handle); }

SharedLibrary::SharedLibrary(const char* soname) : m_handle(::dlopen(soname, RTLD_NOW | RTLD_LOCAL))
{
    if (!m_handle)
        m_error = ::dlerror();
}

bool SharedLibrary::find(void** into, const char* name)
{
    ::dlerror();
    *into = ::dlsym(m_handle.get(), name);
    if (*into)
        return true;
    const char* why = ::dlerror();
    m_error = why ? why : std::string(name) + " is missing";
    return false;
}

} // namespace varcel
