#include "platform/messagesink.h"

#include <cstdio>

namespace platform {

void StderrSink::ShowMessage(const std::string& caption, const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace platform
