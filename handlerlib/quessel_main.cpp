// Quessel's entry point. The library's exports are the MAP handlers
// themselves, listed in its .def file; loading needs no work of its own.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, void*) { return TRUE; }
