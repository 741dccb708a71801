#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace tessarin::fuzz {

// An invariant that does not hold is a finding like a crash: say which one, then stop so that
// libFuzzer saves the input.
[[noreturn]] inline void Fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "\n*** invariant failed at %s:%d: %s\n", file, line, what);
    std::fflush(stderr);
    __builtin_trap();
}
#define FUZZ_CHECK(condition) \
    ((condition) ? void() : ::tessarin::fuzz::Fail(#condition, __FILE__, __LINE__))

inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace tessarin::fuzz
