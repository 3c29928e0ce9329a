// The calling convention and signatures at the library boundary.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define KORVUN_CALL __stdcall
#else
#define KORVUN_CALL
#endif

#if defined(_WIN32)
#define KORVUN_EXPORT __declspec(dllexport)
#else
#define KORVUN_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
typedef void(KORVUN_CALL* ProgressCallback)(int32_t kind, int32_t value, const char* text);
}
