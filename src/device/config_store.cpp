#include "device/config_store.h"

#include "device/reporter.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace varcel {

namespace {

constexpr const char* kMissingConfig = "Config file is not exist.";

std::string errorCodeText(int code)
{
    char text[64];
    std::snprintf(text, sizeof text, "Error Code is: %d \n", code);
    return text;
}

} // namespace

ConfigStore::ConfigStore(std::filesystem::path dataDir, Reporter& reporter)
    : m_path(std::move(dataDir) / kConfigFileName), m_reporter(reporter)
{
}

bool ConfigStore::load()
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_path, ec)) {
        m_reporter.messageBox(kMissingConfig, kAppTitle);
        return false;
    }
    std::ifstream in(m_path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const auto length = static_cast<std::size_t>(in.tellg());
    // A file of any other size is not ours (or was cut short): leave the
    // image as it was rather than guess at a layout.
    if (length != kConfigFileSize)
        return false;
    in.seekg(0);
    char flag = 0;
    ConfigImage image{};
    in.read(&flag, 1);
    in.read(reinterpret_cast<char*>(image.data()), static_cast<std::streamsize>(image.size()));
    if (!in)
        return false;
    m_firstRunFlag = static_cast<std::uint8_t>(flag);
    m_working = image;
    return true;
}

bool ConfigStore::save()
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_path, ec)) {
        m_reporter.messageBox(kMissingConfig, kAppTitle);
        return false;
    }
    std::array<std::uint8_t, kConfigFileSize> bytes{};
    bytes[0] = 1;
    std::copy(m_working.begin(), m_working.end(), bytes.begin() + 1);
    if (const int error = replaceFileAtomically(m_path, bytes.data(), bytes.size(), beforeReplace)) {
        m_reporter.messageBox(errorCodeText(error), "NULL ==fp ");
        return false;
    }
    return true;
}

} // namespace varcel
