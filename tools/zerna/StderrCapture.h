// Watches what the plug-in writes to standard error during one session, to
// record the messages it shows among the host calls.
//
// The console plug-in shows a message as one line "CAPTION: TEXT" on
// standard error, and its prompts there too. While capturing, descriptor 2
// is a pipe: a thread copies every byte to the real standard error at once
// (so prompts appear before the plug-in waits for an answer), and the host
// drains the pipe itself at each of its calls, so a message is always
// handled before the call that follows it. One mutex serialises the two
// readers, and whoever holds it also writes the trace, which keeps the
// trace in call order.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

class StderrCapture {
public:
    // text: what follows "CAPTION: " on a message line, as written (UTF-8).
    // Called with the capture's lock held.
    using MessageHandler = std::function<void(std::string_view text)>;

    StderrCapture(std::string caption, MessageHandler onMessage);
    ~StderrCapture();
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Puts the pipe in place of descriptor 2. False (with nothing changed)
    // when the pipe or the thread could not be set up.
    bool Start();
    // Handles everything written so far and returns holding the lock, so
    // that what the caller writes next comes after it.
    std::unique_lock<std::mutex> Drain();
    // Handles the rest, restores descriptor 2 and ends the thread.
    void Stop();

    // How a line is read: the message starts at "CAPTION: " at the start of
    // the line, or right after a prompt that ends in ": " (the plug-in's
    // prompts end without a line break, and the answer is read from
    // standard input, not written here). True with text set when line is a
    // message.
    static bool FindMessage(std::string_view line, std::string_view prefix, std::string_view& text);

private:
    void ForwardLoop();
    // Reads what the pipe holds now. True at the end of the pipe.
    bool ReadAvailable();
    void HandleBytes(const char* bytes, size_t size);
    void HandleLine(std::string_view line);

    std::string prefix_;
    MessageHandler onMessage_;
    std::mutex mutex_;
    std::thread forwarder_;
    std::string pending_;   // the start of a line not yet ended
    int readEnd_ = -1;
    int savedStderr_ = -1;
};
