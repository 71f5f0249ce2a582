// Where the reader shows a message to the user (a modal box in the plug-in).
#pragma once

#include "reader/ImportMessages.h"

class MessageSink {
public:
    virtual void ShowMessage(ImportMessage message) = 0;

protected:
    ~MessageSink() = default;
};
