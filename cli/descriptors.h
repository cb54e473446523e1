// What differs between the systems below the program's files: descriptors
// opened, read, written, synced and closed, and which file one is. files.cpp
// builds the program's streams and files over these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "streams.h"

namespace kestrane::cli::os {

// Opens an existing file for reading, or for writing without emptying it;
// -1, with errno set, when it cannot.
int open_to_read(const std::string& path);
int open_to_write(const std::string& path);
// The number of the descriptor a name names (/dev/stdout, /dev/stderr,
// /dev/fd/N, /proc/self/fd/N); -1 when it names none.
int descriptor_named(const std::string& path);
// A copy of an open descriptor, which writes as the shell opened it (appending
// stays appending); -1, with errno set, when it is not open.
int duplicate(int fd);
// Creates the file `name`, its last six characters (XXXXXX) first made into a
// name not taken, for writing; -1, with errno set, when it cannot.
int create_new(std::string& name);
std::uint64_t process_id();
// Whether the new file at path, named for process owner, was left by a run
// that no longer exists and may be removed: a regular file of the runner's
// own on POSIX systems.
bool left_by_ended_run(const std::string& path, std::uint64_t owner);
// Why the existing file at path could not be replaced by renaming a new file
// over it although it may be written (a file mounted on its own, one of
// another user in a folder where only owners may replace files); empty when
// it can be.
std::string why_not_replaceable(const std::string& path);
// Cuts the file off where fd's writing stands; the system's reason when it cannot.
std::string truncate_here(int fd);
// Reads what has arrived, up to size bytes; 0 at the end, -1 with errno set.
long read(int fd, char* buffer, std::size_t size);
// Writes all of bytes (a console takes them as UTF-16, a character cut at the
// end waiting in `held` for the rest); the system's reason when it cannot.
std::string write(int fd, std::string_view bytes, std::string& held);
// Closes fd, first putting what was written onto the disk when sync is set;
// the system's reason when either fails.
std::string close(int fd, bool sync);
std::optional<FileIdentity> identity(int fd);
// The file a name is, when it names one that exists; the name is not opened,
// so a pipe or a device is never waited on.
std::optional<FileIdentity> identity(const std::string& path);
// Gives the new file fd the owner of the file at path, where the system lets it.
void keep_owner(int fd, const std::string& path);
// Notes a new file for a signal that ends the program to remove, or forgets it.
void remove_on_signals(const std::string& name, bool pending);

}  // namespace kestrane::cli::os
