// varcelctl's functions of a system library loaded when the first is called
// rather than when the program starts (glib_on_demand.cpp, udev_on_demand.cpp):
// the including file defines onDemandSymbol(name) on its library.
#pragma once

#include "platform/shared_library.h"

#include <cstdio>
#include <cstdlib>

namespace varcel::library_detail {

// The library opened or the function found; without it varcelctl cannot go on.
inline void* orStop(void* found, const std::string& missing)
{
    if (!found) {
        std::fprintf(stderr, "varcelctl: %s\n", missing.c_str());
        std::exit(1);
    }
    return found;
}

} // namespace varcel::library_detail

// The function NAME with parameters PARAMS, called with ARGS.
#define VARCEL_ON_DEMAND(RESULT, NAME, PARAMS, ARGS)                                                                   \
    extern "C" RESULT NAME PARAMS                                                                                      \
    {                                                                                                                  \
        static const auto call = reinterpret_cast<decltype(&NAME)>(onDemandSymbol(#NAME));                             \
        return call ARGS;                                                                                              \
    }
