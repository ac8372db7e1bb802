#include <windows.h>

#include <algorithm>

#include "platform/serial.h"

struct SerialPort {
    HANDLE handle;
    // The read time-out in force: a read waits this long for a first byte
    // (MAXDWORD: none set yet).
    DWORD read_wait_ms = MAXDWORD;
};

namespace {
// A write waits this long for room in the driver, then reports what went (maybe
// nothing): a unit that stops taking bytes cannot hold the program, and the
// link decides when a stalled write has failed.
constexpr DWORD write_room_wait_ms = 100;
// FlushFileBuffers would wait without bound for a unit that stops taking
// bytes; the output queue is watched instead, for serial_flush_limit_ms on the
// tick count (a count of Sleep(1) calls would last 15 times as long).
}  // namespace

SerialPort* serial_open(const std::string& device) {
    const HANDLE h = CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_NO_BUFFERING, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return new SerialPort{h};
}

void serial_close(SerialPort* port) {
    if (!port) return;
    CloseHandle(port->handle);
    delete port;
}

bool serial_set_queues(SerialPort* port, std::size_t rx_bytes, std::size_t tx_bytes) {
    return port && SetupComm(port->handle, DWORD(rx_bytes), DWORD(tx_bytes));
}

namespace {
// Reads return at once with what is queued, or wait up to `wait_ms` for the
// first byte and return with it; writes wait write_room_wait_ms for room.
bool set_read_wait(SerialPort* port, DWORD wait_ms) {
    if (port->read_wait_ms == wait_ms) return true;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    if (wait_ms > 0) {
        timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
        timeouts.ReadTotalTimeoutConstant = wait_ms;
    }
    timeouts.WriteTotalTimeoutConstant = write_room_wait_ms;
    if (!SetCommTimeouts(port->handle, &timeouts)) return false;
    port->read_wait_ms = wait_ms;
    return true;
}
}  // namespace

bool serial_zero_timeouts(SerialPort* port) { return port && set_read_wait(port, 0); }

bool serial_purge(SerialPort* port) {
    return port && PurgeComm(port->handle, PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR);
}

bool serial_clear_errors(SerialPort* port) {
    DWORD errors = 0;
    return port && ClearCommError(port->handle, &errors, nullptr);
}

long serial_queued(SerialPort* port) {
    DWORD errors = 0;
    COMSTAT status{};
    if (!port || !ClearCommError(port->handle, &errors, &status)) return -1;
    return long(status.cbInQue);
}

long serial_read(SerialPort* port, void* data, std::size_t size) {
    DWORD got = 0;
    if (!port || !ReadFile(port->handle, data, DWORD(size), &got, nullptr)) return -1;
    return long(got);
}

long serial_read_within(SerialPort* port, void* data, std::size_t size, unsigned wait_ms) {
    DWORD errors = 0;
    // The longest wait a read time-out takes is one below MAXDWORD.
    if (!port || !ClearCommError(port->handle, &errors, nullptr) || !set_read_wait(port, std::min<DWORD>(wait_ms, MAXDWORD - 1)))
        return -1;
    DWORD got = 0;
    if (!ReadFile(port->handle, data, DWORD(size), &got, nullptr)) return -1;
    return long(got);
}

long serial_write(SerialPort* port, const void* data, std::size_t size) {
    if (!port) return -1;
    DWORD written = 0;
    if (WriteFile(port->handle, data, DWORD(size), &written, nullptr)) return long(written);
    // The write's time-out is no failure: what went is reported.
    const DWORD error = GetLastError();
    return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT ? long(written) : -1;
}

// Not watched: the caller looks after every byte.
void serial_watch_input(SerialPort*, bool) {}
bool serial_input_arrived(SerialPort*) { return true; }

bool serial_flush(SerialPort* port) {
    if (!port) return false;
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        DWORD errors = 0;
        COMSTAT status{};
        if (!ClearCommError(port->handle, &errors, &status)) return false;
        if (status.cbOutQue == 0) return true;
        if (GetTickCount64() - start >= serial_flush_limit_ms) return false;
        Sleep(1);
    }
}
