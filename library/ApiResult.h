// How the C interface reports: a result, and for the caller's kvd_error a
// message in English. No exception leaves the interface: Guarded turns one
// into a result.
#pragma once

#include <new>
#include <stdexcept>
#include <string>

#include "library/include/kvd.h"

// Fills error (when given) and returns result. The message is cut to the
// field at a whole UTF-8 character.
kvd_result Report(kvd_error* error, kvd_result result, const std::string& message);

inline kvd_result Succeed(kvd_error* error)
{
    return Report(error, KVD_OK, {});
}

// Runs body, which returns a kvd_result; memory running out becomes
// KVD_OUT_OF_MEMORY, any other failure the given result with its reason.
template <class Body>
kvd_result Guarded(kvd_error* error, kvd_result otherFailure, Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return Report(error, KVD_OUT_OF_MEMORY, "out of memory");
    } catch (const std::length_error&) {
        return Report(error, KVD_OUT_OF_MEMORY, "out of memory (an array larger than memory can hold)");
    } catch (const std::exception& failure) {
        try {
            return Report(error, otherFailure, failure.what());
        } catch (...) {
            return otherFailure;
        }
    } catch (...) {
        return Report(error, otherFailure, "unexpected failure");
    }
}
