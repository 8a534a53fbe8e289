// The two MAP handlers: one turns a tab into a space as characters arrive,
// the other turns one MAP line into one user label in the host.
#pragma once

#include <stdint.h>

// The handlers use the Windows standard convention on 32-bit Windows:
// the callee removes its arguments.
#if defined(_WIN32) && !defined(_WIN64)
#define HANDLER_CALL __stdcall
#else
#define HANDLER_CALL
#endif

// Capacity of the handler's name and address buffers, terminator included.
enum : int32_t { MAP_FIELD_CAPACITY = 255 };

// Called once per record. Result 0: go on reading.
typedef int32_t(HANDLER_CALL* PerRecordHandler)(int32_t recordLength, const char* record);

// Called once per character before it is collected; may rewrite current
// within currentCapacity. Result 0: collect it as usual.
typedef int32_t(HANDLER_CALL* PerCharacterHandler)(int32_t previousCapacity,
                                                   const char* previous,
                                                   int32_t currentCapacity,
                                                   char* current);

extern "C" {
// Inserts at most one label (type 49) for a MAP line: address in columns
// 1-8, name from column 10, or from column 39 when column 10 is a space.
// recordLength is not used; the record is read up to its terminator.
// Always 0.
int32_t HANDLER_CALL MAPFilePerRecordHandler(int32_t recordLength, const char* record);

// Replaces a tab in current with a single space. Always 0.
int32_t HANDLER_CALL MAPFilePerCharacterHandler(int32_t previousCapacity, const char* previous,
                                                int32_t currentCapacity, char* current);
}

// Value of a hexadecimal text, wrapping modulo 2^32; every byte counts by
// the same formula, so nothing is rejected.
int32_t HexToLong(const char* text);
