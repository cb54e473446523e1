// What differs between the systems below the program's files: descriptors
// opened, read, written, synced and closed, and which file one is. files.cpp
// builds the program's streams and files over these.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "streams.h"

namespace kestrane::cli::os {

// Opens an existing file for reading, or for writing without emptying it;
// -1, with errno set, when it cannot.
int open_to_read(const std::string& path);
int open_to_write(const std::string& path);
// Creates a new file of a name not taken, beside path, for writing; -1, with
// errno set, when it cannot. Gives the name in `name`.
int create_beside(const std::string& path, std::string& name);
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
