#include "map_handlers.h"

#include "host/host_services.h"
#include "strutil/strutil.h"

#include <string.h>

// 0-based positions of the MAP line's columns.
enum : int32_t {
    ADDRESS_WIDTH = 8,
    MIN_RECORD_LENGTH = 10,
    NAME_COLUMN = 9,
    ALTERNATE_NAME_COLUMN = 38
};

static bool OnlySpaces(const char* text) {
    while (*text == ' ') ++text;
    return *text == '\0';
}

// True when text has at least count bytes before its terminator, without
// measuring the rest of a record that may be long.
static bool HasAtLeast(const char* text, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (text[i] == '\0') return false;
    }
    return true;
}

// Copies at most capacity - 1 bytes of source, upper-cased, and terminates.
static void CopyUpperBounded(const char* source, char* destination, int32_t capacity) {
    int32_t i = 0;
    for (; i < capacity - 1 && source[i] != '\0'; ++i) destination[i] = UpperAscii(source[i]);
    destination[i] = '\0';
}

static const char* NameStart(const char* record) {
    if (record[NAME_COLUMN] != ' ') return record + NAME_COLUMN;
    if (!HasAtLeast(record, ALTERNATE_NAME_COLUMN)) return "";
    return record + ALTERNATE_NAME_COLUMN;
}

int32_t HexToLong(const char* text) {
    uint32_t value = 0;
    for (const unsigned char* b = reinterpret_cast<const unsigned char*>(text); *b != 0; ++b) {
        const int32_t digit = (*b <= '9') ? *b - 48 : *b - 55;
        value = value * 16u + static_cast<uint32_t>(digit);
    }
    return static_cast<int32_t>(value);
}

int32_t HANDLER_CALL MAPFilePerRecordHandler(int32_t recordLength, const char* record) {
    (void)recordLength;
    if (record == nullptr || OnlySpaces(record)) return 0;
    if (!HasAtLeast(record, MIN_RECORD_LENGTH)) return 0;

    char name[MAP_FIELD_CAPACITY];
    CopyUpperBounded(NameStart(record), name, MAP_FIELD_CAPACITY);
    TrimLeftBlanks(name);
    TrimRightBlanks(name);
    if (name[0] == '\0') return 0;

    char address[MAP_FIELD_CAPACITY];
    memcpy(address, record, ADDRESS_WIDTH);
    address[ADDRESS_WIDTH] = '\0';
    TrimLeftBlanks(address);
    TrimRightBlanks(address);
    if (address[0] == '\0') return 0;

    const int32_t value = HexToLong(address);
    if (value == 0) return 0;
    _Insertname(static_cast<uint32_t>(value), NAME_TYPE_LABEL, name);
    return 0;
}

int32_t HANDLER_CALL MAPFilePerCharacterHandler(int32_t previousCapacity, const char* previous,
                                                int32_t currentCapacity, char* current) {
    (void)previousCapacity;
    (void)previous;
    if (current == nullptr || currentCapacity < 1) return 0;
    if (current[0] != '\t') return 0;
    for (int32_t i = 1; i < currentCapacity && current[i] != '\0'; ++i) {
        if (current[i] != ' ') return 0;
    }
    if (currentCapacity >= 2) {
        current[0] = ' ';
        current[1] = '\0';
    } else {
        current[0] = '\0';
    }
    return 0;
}
