#include "library/ApiResult.h"

#include <cstring>

kvd_result Report(kvd_error* error, kvd_result result, const std::string& message)
{
    if (error == nullptr)
        return result;
    error->result = result;
    size_t length = std::min(message.size(), sizeof error->message - 1);
    // Back to the start of a character: continuation bytes are 10xxxxxx.
    if (length < message.size()) {
        while (length > 0 && (static_cast<unsigned char>(message[length]) & 0xC0) == 0x80)
            --length;
    }
    std::memcpy(error->message, message.data(), length);
    error->message[length] = '\0';
    return result;
}
