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
// Writes; returns bytes written (possibly fewer), -1 on failure.
long serial_write(SerialPort* port, const void* data, std::size_t size);
// Longest wait of serial_flush, measured on the system's clock.
inline constexpr unsigned serial_flush_limit_ms = 1000;
// Waits up to serial_flush_limit_ms until written bytes have left the
// transmit buffers; false when they have not or the device failed.
bool serial_flush(SerialPort* port);
