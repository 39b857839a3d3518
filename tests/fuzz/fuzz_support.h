// What the file fuzz targets share: one scratch folder per process, and
// writing the input there as the file under test.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace varcel::fuzz {

inline const std::filesystem::path& scratchDir()
{
    static const std::filesystem::path dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "varcel-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        return std::filesystem::path(pattern);
    }();
    return dir;
}

inline std::filesystem::path writeInput(const char* name, const std::uint8_t* data, std::size_t size)
{
    const auto path = scratchDir() / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                static_cast<std::streamsize>(size));
    return path;
}

// A failed check ends the run with a crash libFuzzer reports and keeps.
inline void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace varcel::fuzz
