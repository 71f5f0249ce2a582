// The library's version and the words for its results.
#include "library/include/kvd.h"

#define KVD_TEXT(x) #x
#define KVD_VERSION_TEXT(major, minor, patch) KVD_TEXT(major) "." KVD_TEXT(minor) "." KVD_TEXT(patch)

extern "C" {

KVD_API const char* kvd_version(void)
{
    return KVD_VERSION_TEXT(KVD_VERSION_MAJOR, KVD_VERSION_MINOR, KVD_VERSION_PATCH);
}

KVD_API uint32_t kvd_version_number(void)
{
    return KVD_VERSION_MAJOR * 10000u + KVD_VERSION_MINOR * 100u + KVD_VERSION_PATCH;
}

KVD_API const char* kvd_result_text(kvd_result result)
{
    switch (result) {
    case KVD_OK:
        return "ok";
    case KVD_DAMAGED:
        return "the file is damaged";
    case KVD_CANNOT_OPEN:
        return "cannot open the file";
    case KVD_NOT_KVD_FILE:
        return "not a kvd scene file";
    case KVD_HEADER_DAMAGED:
        return "the file's header is damaged";
    case KVD_OUT_OF_MEMORY:
        return "out of memory";
    case KVD_INVALID_ARGUMENT:
        return "invalid argument";
    case KVD_CANNOT_WRITE:
        return "cannot write the file";
    case KVD_CANCELLED:
        return "cancelled";
    }
    return "unknown result";
}

}  // extern "C"
