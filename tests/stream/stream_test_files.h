// Files and folders for the Windows tests of the stream: a fresh folder
// in the temporary directory per test, removed with what it holds.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>

struct TestFolder {
    std::string path;  // ends in a backslash
};

// Creates a new, empty folder; its path is empty if that failed.
TestFolder MakeTestFolder(const char* tag);

// Removes the folder and everything in it.
void RemoveTestFolder(const TestFolder& folder);

// Writes bytes to folder\name, replacing the file; the path written.
std::string WriteTestFile(const TestFolder& folder, const char* name, const std::string& bytes);

// The whole file, or "<missing>" when it cannot be read.
std::string ReadTestFile(const std::string& path);

// True when the file can be opened with no sharing at all, which proves
// that no other handle holds it.
bool NobodyHolds(const std::string& path);

// Sum of the busy blocks of the process heap.
size_t BusyHeapBytes();
