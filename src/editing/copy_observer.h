#pragma once
// What the copying commands show the user. The window layer turns these calls
// into message boxes, the folder browser and the progress window; tavelo-cli
// writes the messages on its error stream; tests record them.

#include <string>

namespace tavelo {

// The four looks of a message box.
enum class MessageLook { None, Stop, Exclamation, Information };

class CopyObserver {
public:
    virtual ~CopyObserver() = default;

    // A message box with an OK button; returns when the user has dismissed it.
    virtual void Message(const std::string& text, MessageLook look) = 0;

    // A question with the answers yes and no; true for yes.
    virtual bool AskYesNo(const std::string& text) = 0;

    // The folder browser. Empty when the user cancels or picks no folder.
    virtual std::string ChooseFolder() { return {}; }

    // The progress window: a title, two text lines and a bar of `maximum` steps.
    // Opened at most once per run and always closed before the closing message.
    virtual void ProgressOpen(const std::string& /*title*/, const std::string& /*topText*/, int /*maximum*/) {}
    virtual void ProgressText(const std::string& /*secondText*/) {}
    virtual void ProgressStep() {}
    virtual void ProgressClose() {}
};

} // namespace tavelo
