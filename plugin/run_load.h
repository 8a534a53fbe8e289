// The Run command's plug-in-wide storage and the two adapters that hand
// the reading loop's characters and records to the MAP handlers.
#pragma once

#include "stream/text_stream.h"

#include <stdint.h>

enum : int32_t { MAP_PATH_CAPACITY = 517, RECORD_BUFFER_CAPACITY = 2048 };

// The dialog's start text, then the chosen file's full path.
extern char MapPath[MAP_PATH_CAPACITY];

// The record being assembled by the reading loop.
extern char RecordBuffer[RECORD_BUFFER_CAPACITY];

// Per-record callback: the record and its length to the record handler.
int32_t RecordAdapter(TextFileStream* stream, int32_t recordCapacity, char* record);

// Per-character callback: both character fields, each with its capacity
// of 2, to the character handler.
int32_t CharacterAdapter(TextFileStream* stream, int32_t recordCapacity, char* record);
