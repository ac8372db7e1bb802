#pragma once
// The single-instance guard: a named mutex on Windows, a locked file on Linux.

// Takes the guard; false when another copy of the program holds it.
bool acquire_single_instance();
void release_single_instance();
