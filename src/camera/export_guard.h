// The wrapper around every export's body: no exception leaves the library.
#pragma once

#include <type_traits>

#include "camera/ostrel.h"

namespace ostrel {

// Runs an export's body. Whatever it throws (a failed allocation, a system
// that has no thread to give) ends as "operation failed" for the caller
// instead of crossing the C interface.
template <class Body>
auto guarded(Body&& body) noexcept -> decltype(body()) {
    try {
        return body();
    } catch (...) {
        if constexpr (std::is_void_v<decltype(body())>) {
            return;
        } else {
            return TQ_E_FAILED;
        }
    }
}

}  // namespace ostrel
