// The text file stream: a file read as line records, every character and
// every record handed to callbacks.
#pragma once

#include <stdint.h>

// Access modes of MODE: the system's generic-read and generic-write rights.
#define STREAM_MODE_READ ((int32_t)0x80000000u)
#define STREAM_MODE_WRITE ((int32_t)0x40000000)

// The stream record. Field order and widths are part of the contract with
// the callbacks, which may read every field.
struct TextFileStream {
    int32_t MODE;                      // STREAM_MODE_READ or STREAM_MODE_WRITE
    int32_t COLLECTASUPPER;            // 1: collected characters are upper-cased
    int32_t FILEHANDLE;                // open file's handle, 0 when closed
    int32_t FILESIZETOPROCESSINBYTES;  // size found at opening (reading)
    int32_t FILESIZEPROCESSEDINBYTES;  // characters delivered in records
    char PREVIOUSCHARACTERSZ[2];       // previous character and terminator
    char CURRENTCHARACTERSZ[2];        // current character and terminator
    int32_t CURRENTRECORDINDEX;        // characters collected in this record
    int32_t MAXIMUMTRECORDINDEX;       // record capacity - 1
    int32_t COJOINEDFILEHANDLE;        // 0 after every opening
    int32_t LINENUMBER;                // records delivered
};

// The state a stream record has when the plug-in is loaded.
void InitTextStream(TextFileStream* stream);
