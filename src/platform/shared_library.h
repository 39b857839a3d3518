// A system library opened when a command first needs it, not when the
// program starts: reading a capture needs libpcap, which with its own
// dependencies is a third of what varcelctl would otherwise load for every
// command, and most commands never read a capture.
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace varcel {

namespace library_detail {

struct Closer {
    void operator()(void* library) const;
};
// The library's handle, or null with `missing` saying why.
void* open(const char* soname, std::string& missing);
// Looks `name` up into `into`; false with `missing` saying why.
bool find(void* library, const char* name, void** into, std::string& missing);

} // namespace library_detail

// Opens `soname` (as the package installs it, such as "libpcap.so.0.8") for
// good and fills each function pointer from it. Returns what is missing, in
// the loader's words, or nothing when all is there.
template <class... Fn>
std::string loadFunctions(const char* soname, std::pair<Fn**, const char*>... functions)
{
    std::string missing;
    std::unique_ptr<void, library_detail::Closer> library(library_detail::open(soname, missing));
    if (library &&
        (library_detail::find(library.get(), functions.second, reinterpret_cast<void**>(functions.first), missing) &&
         ...))
        library.release(); // its functions stay usable until the program ends
    return missing;
}

} // namespace varcel
