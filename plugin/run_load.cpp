#include "run_load.h"

#include "commands.h"
#include "dialogs/file_dialog.h"
#include "dialogs/long_path.h"
#include "dialogs/message_box.h"
#include "dialogs/path_text.h"
#include "host/host_services.h"
#include "mapload/map_handlers.h"
#include "plugin_state.h"
#include "stream/open_stream.h"
#include "stream/process_stream.h"

char MapPath[MAP_PATH_CAPACITY];
char RecordBuffer[RECORD_BUFFER_CAPACITY];

static const char MAP_PATTERN[] = "\\*.map";
static const char DIALOG_TITLE[] = "Select MAP File";
static const char MAP_FILTER[] = "MAP Files *.map|*.map|AllFiles *.*|*.*";
static const char LOADER_CAPTION[] = "Vorlane Loader";
static const char NOTHING_TO_LABEL[] = "There is nothing to Label";

enum : int32_t { CHARACTER_CAPACITY = 2, STATUS_LOADED = 1, STATUS_RUNNING = 2 };

int32_t RecordAdapter(TextFileStream* stream, int32_t, char* record) {
    return MAPFilePerRecordHandler(stream->CURRENTRECORDINDEX, record);
}

int32_t CharacterAdapter(TextFileStream* stream, int32_t, char*) {
    return MAPFilePerCharacterHandler(CHARACTER_CAPACITY, stream->PREVIOUSCHARACTERSZ,
                                      CHARACTER_CAPACITY, stream->CURRENTCHARACTERSZ);
}

void RunLoad() {
    const int32_t status = _Getstatus();
    if (status != STATUS_LOADED && status != STATUS_RUNNING) {
        // Owned by the active window, so the host is disabled while it is up.
        ShowMessage(GetActiveWindow(), LOADER_CAPTION, NOTHING_TO_LABEL, MB_OK | MB_ICONQUESTION);
        return;
    }
    GetLongPath(MAP_PATH_CAPACITY, MapPath, 0, nullptr, 0, 1);
    AppendTextCut(MAP_PATTERN, MapPath, MAP_PATH_CAPACITY);
    // 18: keep the current directory, long names; an open dialog.
    const uint32_t flags = FILE_DIALOG_NO_CHANGE_DIR | FILE_DIALOG_LONG_NAMES;
    if (FileDialogEx(sizeof DIALOG_TITLE, DIALOG_TITLE, MAP_PATH_CAPACITY, MapPath, nullptr, flags,
                     MAP_FILTER, sizeof MAP_FILTER) <= 0) {
        return;
    }
    PluginStream.MODE = STREAM_MODE_READ;
    PluginStream.COLLECTASUPPER = 1;
    // A stream still open from a load in progress refuses this one.
    if (OpenTextStream(&PluginStream, RecordBuffer, RECORD_BUFFER_CAPACITY, MapPath, MAP_PATH_CAPACITY) != 0) {
        return;
    }
    _Deletenamerange(0, 0xFFFFFFFFu, NAME_TYPE_LABEL);
    ProcessTextStream(&PluginStream, RECORD_BUFFER_CAPACITY, CharacterAdapter, RecordAdapter, RecordBuffer);
    _Broadcast(HOST_MESSAGE_REDRAW_NAMES, 0, 0);
}
