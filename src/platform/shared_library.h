// A system library opened when a command first needs it, not when the
// program starts: reading a capture needs libpcap, which with its own
// dependencies is a third of what varcelctl would otherwise load for every
// command, and most commands never read a capture.
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace varcel {

class SharedLibrary {
public:
    // `soname` as the package installs it, such as "libpcap.so.0.8".
    explicit SharedLibrary(const char* soname);

    // Why the library or a function of it is missing, as the loader says it.
    const std::string& error() const { return m_error; }

    // Looks up each function into the pointer given; false (with error())
    // when the library or one of them is missing.
    template <class... Fn>
    bool resolve(std::pair<Fn**, const char*>... functions)
    {
        return m_handle && (find(reinterpret_cast<void**>(functions.first), functions.second) && ...);
    }

    // The functions found stay usable until the program ends.
    void keepLoaded() { m_handle.release(); }

private:
    bool find(void** into, const char* name);

    struct Closer {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, Closer> m_handle;
    std::string m_error;
};

// Opens `soname` for good and fills each function pointer from it. Returns
// what is missing, in the loader's words, or nothing when all is there.
template <class... Fn>
std::string loadFunctions(const char* soname, std::pair<Fn**, const char*>... functions)
{
    SharedLibrary library(soname);
    if (!library.resolve(functions...))
        return library.error();
    library.keepLoaded();
    return {};
}

} // namespace varcel
