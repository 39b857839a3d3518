#include "device/config_store.h"

#include "device/reporter.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

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

int replaceFileAtomically(const std::filesystem::path& path, const void* data, std::size_t size,
                          const std::function<bool()>& beforeReplace)
{
    // The temporary file lives beside the target so the rename never crosses
    // a file system, and carries the target's permissions.
    std::string temp = path.string() + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return errno;
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0)
        ::fchmod(fd, old.st_mode & 07777);
    else
        ::fchmod(fd, 0644);

    int error = 0;
    const auto* p = static_cast<const char*>(data);
    std::size_t left = size;
    while (left > 0 && error == 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno != EINTR)
                error = errno;
            continue;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && beforeReplace && !beforeReplace())
        error = ECANCELED;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temp.c_str());
    return error;
}

} // namespace varcel
