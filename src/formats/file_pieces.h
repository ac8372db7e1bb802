#pragma once
// Reading a run of bytes from an open file in bounded pieces, the way every
// reader in this module checks a section without holding it in memory.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

inline constexpr std::size_t file_piece_size = 8192;

// Reads exactly `size` bytes into `out`; false on a short read or error.
bool read_exact(std::FILE* f, void* out, std::size_t size);

// Bytes from the current position to the end of the file, or -1 when unknown.
int64_t file_bytes_left(std::FILE* f);

// Reads `length` bytes from the current position in pieces of at most `piece`
// bytes (up to file_piece_size) and hands each piece to `use`. False when the
// file holds fewer bytes than that (found before anything is read, where the
// size is known) or a piece comes back short.
bool read_pieces(std::FILE* f, uint64_t length, std::size_t piece,
                 const std::function<void(const uint8_t*, std::size_t)>& use);

// read_pieces adding every byte to a checksum register.
bool crc_read(std::FILE* f, uint64_t length, uint32_t& reg, std::size_t piece = file_piece_size);

// The system's error number behind a failed read of `f`: `err` (errno as the
// read left it) when the stream reports an error, else 0: no system error,
// the file ended before the bytes it was to hold.
int read_error_number(std::FILE* f, int err);
// The text of a file failure: "<number> -- <why> on File <path> (<step>)", or
// with `parenthesised` "(<number>) <why> on File ...". Number 0 is a short
// read with no system error, named as such rather than by the system's text
// for 0 ("Success").
std::string file_error_text(int number, const std::string& path, int step, bool parenthesised);

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
// A file closed when it goes out of scope, so that every return path does.
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens for binary reading; null on failure.
FilePtr open_binary(const std::string& path);
