// Gaps of the WebAssembly toolchain's C++ library, filled for the browser
// build only (forced into every source with -include). Each is what later
// versions of the library provide, so nothing here changes what the code
// computes.
#pragma once

#include <version>

#if !defined(__cpp_lib_bit_cast)
#include <type_traits>

namespace std {
// The compiler has the built-in; the library of this toolchain lacks the name.
template <class To, class From>
    requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
constexpr To bit_cast(const From& from) noexcept
{
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
