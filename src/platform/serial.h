#pragma once
// Serial port seam: the unit's "Gadget Serial" port used as a byte pipe.
// No line settings are made. All calls are non-blocking apart from write.
#include <cstddef>
#include <string>

struct SerialPort;

// Opens an existing device exclusively; nullptr on failure.
SerialPort* serial_open(const std::string& device);
void serial_close(SerialPort* port);
// Driver queue sizes (no effect where the system has none to set).
bool serial_set_queues(SerialPort* port, std::size_t rx_bytes, std::size_t tx_bytes);
// No read time-outs: reads take what is queued. Writes wait at most a moment
// for room and report what went.
bool serial_zero_timeouts(SerialPort* port);
// Discards both queues and aborts pending transfers.
bool serial_purge(SerialPort* port);
// Clears any pending error state; false when the device is gone.
bool serial_clear_errors(SerialPort* port);
// Number of queued input bytes (clears error state); -1 when the device is gone.
long serial_queued(SerialPort* port);
// Reads up to `size` bytes already queued; -1 on failure.
long serial_read(SerialPort* port, void* data, std::size_t size);
// Waits up to `wait_ms` for input with the system's own wait (no polling), then
// reads up to `size` bytes of what is queued: the number read, 0 when nothing
// came within the wait (or the wait was interrupted), -1 when the device failed.
// Clears error state like serial_queued.
long serial_read_within(SerialPort* port, void* data, std::size_t size, unsigned wait_ms);
// Writes; returns bytes written (possibly fewer), -1 on failure.
long serial_write(SerialPort* port, const void* data, std::size_t size);
// Watching the input while writing byte by byte. With the watch on,
// serial_input_arrived tells without a system call whether input may have
// come since it last answered true; where the system cannot watch, it always
// answers true and the caller looks every time. One port is watched at a time;
// the watch lasts until it is turned off or the port closes. While it is on,
// a wait for input may end early (the system's wait is interrupted).
void serial_watch_input(SerialPort* port, bool on);
bool serial_input_arrived(SerialPort* port);
// Longest wait of serial_flush, measured on the system's clock.
inline constexpr unsigned serial_flush_limit_ms = 1000;
// Waits up to serial_flush_limit_ms until written bytes have left the
// transmit buffers; false when they have not or the device failed.
bool serial_flush(SerialPort* port);
