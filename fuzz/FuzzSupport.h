#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

// A broken invariant is a finding like a crash: name it, then trap so that libFuzzer keeps the
// input.
#define FUZZ_CHECK(condition)                                                               \
    ((condition) ? void()                                                                   \
                 : (std::fprintf(stderr, "\n*** invariant failed at %s:%d: %s\n", __FILE__, \
                                 __LINE__, #condition),                                     \
                    __builtin_trap()))

namespace tessarin::fuzz {
inline std::string_view AsText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}
}  // namespace tessarin::fuzz
