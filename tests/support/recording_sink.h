#pragma once

#include <string>
#include <vector>

#include "platform/messagesink.h"

namespace testsupport {

// Keeps every message box the code under test would have shown.
class RecordingSink final : public platform::MessageSink {
public:
    struct Message {
        std::string caption;
        std::string text;
    };

    void ShowMessage(const std::string& caption, const std::string& text) override {
        messages.push_back({caption, text});
    }

    std::vector<Message> messages;
};

}  // namespace testsupport
