// The working image, the applied snapshot and config.bin.
#pragma once

#include "device/config_image.h"
#include "platform/data_files.h"
#include "platform/failure.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace varcel {

class Reporter;

// config.bin: one first-run flag byte followed by the image, nothing else.
inline constexpr std::size_t kConfigFileSize = 1 + kImageSize;

class ConfigStore {
public:
    ConfigStore(std::filesystem::path dataDir, Reporter& reporter);

    // Fills the working image and the first-run flag from config.bin. A missing
    // file is reported; a file of the wrong size or one that is there but
    // cannot be read is left to the caller, as problem(). Either way the
    // image is left as it was. Returns whether the file was loaded.
    bool load();

    void copyWorkingToSnapshot() { m_snapshot = m_working; }
    void copySnapshotToWorking() { m_working = m_snapshot; }

    ConfigImage& working() { return m_working; }
    const ConfigImage& working() const { return m_working; }
    const ConfigImage& snapshot() const { return m_snapshot; }

    // 0 until labels were first written by this program; a save does not change it.
    std::uint8_t firstRunFlag() const { return m_firstRunFlag; }
    // What config.bin holds once saved: flag 1 and the working image. The
    // workspace saves it, with the other files, in one transaction.
    std::vector<std::uint8_t> fileBytes() const;
    // The workspace put fileBytes() in place.
    void markSaved() { m_firstRunFlag = 1; }

    const std::filesystem::path& path() const { return m_path; }
    // Why config.bin that is there was not loaded: unreadable, or not a configuration.
    const Problem& problem() const { return m_problem; }

private:
    std::filesystem::path m_path;
    Reporter& m_reporter;
    ConfigImage m_working{};
    ConfigImage m_snapshot{};
    std::uint8_t m_firstRunFlag = 0;
    Problem m_problem;
};

} // namespace varcel
