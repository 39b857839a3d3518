// Functions of a system library loaded when the first is called rather than
// when the program starts (glib_on_demand.cpp, gio_on_demand.cpp, udev_on_demand.cpp):
// the including file names its library with VARCEL_ON_DEMAND_LIBRARY and
// defines each function with VARCEL_ON_DEMAND.
#pragma once

#include "platform/shared_library.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace varcel::library_detail {

// The library opened or the function found; without it the program cannot go on.
inline void* orStop(void* found, const std::string& missing)
{
    if (!found) {
        std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, missing.c_str());
        std::exit(1);
    }
    return found;
}

} // namespace varcel::library_detail

// The library SONAME, opened when the first of its functions is called.
#define VARCEL_ON_DEMAND_LIBRARY(SONAME)                                                                               \
    namespace {                                                                                                        \
    void* onDemandSymbol(const char* name)                                                                             \
    {                                                                                                                  \
        using namespace varcel::library_detail;                                                                        \
        std::string missing;                                                                                           \
        static void* const library = orStop(open(SONAME, missing), missing);                                           \
        void* function = nullptr;                                                                                      \
        find(library, name, &function, missing);                                                                       \
        return orStop(function, missing);                                                                              \
    }                                                                                                                  \
    }

// The function NAME with parameters PARAMS, called with ARGS.
#define VARCEL_ON_DEMAND(RESULT, NAME, PARAMS, ARGS)                                                                   \
    extern "C" RESULT NAME PARAMS                                                                                      \
    {                                                                                                                  \
        static const auto call = reinterpret_cast<decltype(&NAME)>(onDemandSymbol(#NAME));                             \
        return call ARGS;                                                                                              \
    }
