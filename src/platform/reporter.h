// How the core shows a user-facing failure. The window turns each report into
// a message box, varcelctl prints it to stderr, tests record and answer it.
#pragma once

#include <string>
#include <vector>

namespace varcel {

class Reporter {
public:
    virtual ~Reporter() = default;
    // A message box with one OK button. The caption is the program's title
    // unless the message names another.
    virtual void messageBox(const std::string& text, const std::string& caption) = 0;
};

// The program's title, used as the caption of most message boxes.
inline constexpr const char* kAppTitle = "Varcel";

// Keeps every report; for tests and for callers that show them later.
class RecordingReporter : public Reporter {
public:
    struct Message {
        std::string text;
        std::string caption;
        bool operator==(const Message&) const = default;
    };
    void messageBox(const std::string& text, const std::string& caption) override
    {
        messages.push_back({text, caption});
    }
    std::vector<Message> messages;
};

} // namespace varcel
