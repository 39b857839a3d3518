#include "device/config_store.h"

#include "platform/file_read.h"
#include "platform/reporter.h"

#include <algorithm>
#include <string>

namespace varcel {

namespace {

constexpr const char* kMissingConfig = "Config file is not exist.";

} // namespace

ConfigStore::ConfigStore(std::filesystem::path dataDir, Reporter& reporter)
    : m_path(std::move(dataDir) / kConfigFileName), m_reporter(reporter)
{}

bool ConfigStore::load()
{
    m_problem.reset();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(m_path, ec)) {
        m_reporter.messageBox(kMissingConfig, kAppTitle);
        return false;
    }
    const FileRead read = readRegularFile(m_path, kConfigFileSize);
    // Not a wrong size: the user's file is there, and a save would replace
    // it with an image that was never loaded.
    if (read.status == FileRead::Status::Unreadable)
        m_problem = readFailure(m_path, read);
    // A file of any other size is not ours (or was cut short): leave the
    // image as it was rather than guess at a layout.
    else if (!read.ok() || read.bytes.size() != kConfigFileSize)
        m_problem = Failure{FailureCode::ConfigNotUsable, m_path.string(), {}};
    if (m_problem)
        return false;
    m_firstRunFlag = static_cast<std::uint8_t>(read.bytes[0]);
    std::copy(read.bytes.begin() + 1, read.bytes.end(), reinterpret_cast<char*>(m_working.data()));
    return true;
}

std::vector<std::uint8_t> ConfigStore::fileBytes() const
{
    std::vector<std::uint8_t> bytes(kConfigFileSize);
    bytes[0] = 1;
    std::copy(m_working.begin(), m_working.end(), bytes.begin() + 1);
    return bytes;
}

} // namespace varcel
