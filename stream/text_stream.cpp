#include "text_stream.h"

#include <string.h>

void InitTextStream(TextFileStream* stream) {
    memset(stream, 0, sizeof *stream);
    stream->PREVIOUSCHARACTERSZ[0] = ' ';
    stream->CURRENTCHARACTERSZ[0] = ' ';
}
