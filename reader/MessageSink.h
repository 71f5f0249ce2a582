// Where the reader shows a message to the user (a modal box in the plug-in).
#pragma once

class MessageSink {
public:
    // text: NUL-terminated GBK bytes.
    virtual void ShowMessage(const char* text) = 0;

protected:
    ~MessageSink() = default;
};
