#include <windows.h>

#include "platform/instance.h"

namespace {
HANDLE instance_mutex = nullptr;
}  // namespace

bool acquire_single_instance() {
    if (instance_mutex) return true;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Global\\{6F3A2C51-9B0E-4D7A-8E21-5C4B7D90A1E3}");
    if (!mutex) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex);
        return false;
    }
    instance_mutex = mutex;
    return true;
}

void release_single_instance() {
    if (!instance_mutex) return;
    CloseHandle(instance_mutex);
    instance_mutex = nullptr;
}
