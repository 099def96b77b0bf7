// Symbols the camera control library exports.
#pragma once

#if defined(_WIN32)
#if defined(OSTRELCTL_BUILDING)
#define OSTRELCTL_API __declspec(dllexport)
#else
#define OSTRELCTL_API __declspec(dllimport)
#endif
#else
#define OSTRELCTL_API __attribute__((visibility("default")))
#endif
