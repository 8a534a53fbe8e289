// The five services of the OllyDbg 1.10 host that this project calls,
// declared from the host's contract. They are exported by ollydbg.exe
// under these exact names and use the C convention: arguments pushed
// right to left, removed by the caller.
#pragma once

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define HOST_CALL __cdecl
#else
#define HOST_CALL
#endif

#if defined(HOST_EXPORTS)
#define HOST_API __declspec(dllexport)
#else
#define HOST_API
#endif

// Name type of a user label, the one kind of name this project touches.
enum : int32_t { NAME_TYPE_LABEL = 49 };

// Message that asks the host to redraw its windows with new names.
enum : uint32_t { HOST_MESSAGE_REDRAW_NAMES = 1140 };

extern "C" {
// Adds one line to the host's log.
HOST_API void HOST_CALL _Addtolist(int32_t address, int32_t highlight, const char* text);
// The debugger's state; only 1 and 2 mean there is a program to label.
HOST_API int32_t HOST_CALL _Getstatus(void);
// Removes every name of the type from first to last address, both included.
HOST_API void HOST_CALL _Deletenamerange(uint32_t first, uint32_t last, int32_t type);
// Adds (or replaces) the name of the type at the address.
HOST_API int32_t HOST_CALL _Insertname(uint32_t address, int32_t type, const char* name);
// Sends a message to every window of the host.
HOST_API void HOST_CALL _Broadcast(uint32_t message, uint32_t first, uint32_t second);
}
