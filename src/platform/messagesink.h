#pragma once

#include <string>

namespace platform {

// Where the modal message boxes of the original go: the console shows them,
// the command-line entry prints them, tests record them.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& caption, const std::string& text) = 0;
};

class StderrSink final : public MessageSink {
public:
    void ShowMessage(const std::string& caption, const std::string& text) override;
};

}  // namespace platform
