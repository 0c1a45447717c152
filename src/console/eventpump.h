#pragma once

#include <QPointer>
#include <QWidget>

#include "engine/eventsink.h"
#include "platform/messagesink.h"

class TFBase;

namespace console {

// The engine's events as posted window messages: each code becomes a queued
// call of the window's dispatcher, handled after the current sample, first in
// first out. A code posted after the window is gone is dropped.
class QueuedEvents final : public EventSink {
public:
    explicit QueuedEvents(TFBase* window) : window_(window) {}
    void post(int code) override;

private:
    QPointer<TFBase> window_;
};

// File errors on the window's message panel; the caption is dropped, the
// text says what happened. One arriving after the window is gone is dropped.
class MessagePanelSink final : public platform::MessageSink {
public:
    explicit MessagePanelSink(TFBase* window) : window_(window) {}
    void ShowMessage(const std::string& caption, const std::string& text) override;

private:
    QPointer<TFBase> window_;
};

}  // namespace console
