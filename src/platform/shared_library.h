// A system library opened when a command first needs it, not when the
// program starts: reading a capture needs libpcap, which with its own
// dependencies is a third of what varcelctl would otherwise load for every
// command, and most commands never read a capture.
#pragma once

#include <memory>
#include <string>

namespace varcel {

class SharedLibrary {
public:
    // `soname` as the package installs it, such as "libpcap.so.0.8".
    explicit SharedLibrary(const char* soname);

    bool loaded() const { return m_handle != nullptr; }
    // Why the library or a function of it is missing, as the loader says it.
    const std::string& error() const { return m_error; }

    // Looks up each function into the pointer given; false (with error())
    // when one is missing, which leaves the library unusable.
    template <class... Fn> bool resolve(std::pair<Fn**, const char*>... functions)
    {
        return loaded() && (find(reinterpret_cast<void**>(functions.first), functions.second) && ...);
    }

private:
    bool find(void** into, const char* name);

    struct Closer {
        void operator()(void* handle) const;
    };
    std::unique_ptr<void, Closer> m_handle;
    std::string m_error;
};

} // namespace varcel
