#include "overwrite_question.h"

static const char QUESTION_TAIL[] = "\" exists.||Is it OK to OVERWRITE it?";

// Appends text at *length, keeping reserve bytes free besides the terminator.
static void AppendBounded(char* buffer, int32_t capacity, int32_t* length, const char* text, int32_t reserve) {
    while (*text != '\0' && *length < capacity - 1 - reserve) buffer[(*length)++] = *text++;
    buffer[*length] = '\0';
}

void OverwriteQuestion(const char* path, char* question, int32_t capacity) {
    if (capacity < 1) return;
    const int32_t tail = static_cast<int32_t>(sizeof QUESTION_TAIL - 1);
    int32_t length = 0;
    AppendBounded(question, capacity, &length, "\"", tail);
    AppendBounded(question, capacity, &length, path, tail);
    AppendBounded(question, capacity, &length, QUESTION_TAIL, 0);
}
