#pragma once
// What the C++ library of the web build (Emscripten's libc++ 13) lacks of
// C++20 and the compiler has built in. The build includes this header
// before every source of the web build.
#include <bit>

#if !defined(__cpp_lib_bit_cast)
namespace std {
template <class To, class From>
constexpr To bit_cast(const From& from) noexcept {
    return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
