#pragma once
// Listing folders and reading whole files with as few system calls as the
// kernel allows, for code that walks thousands of small files (favorites,
// shortcuts). Plain C++ and POSIX; safe to call from several threads.
#include <cstddef>
#include <string>
#include <vector>

struct FolderEntry {
    std::string name; // the entry's file name, as the file system stores it
    bool isFolder = false; // a folder, or a symbolic link that ends at one
    bool isLink = false; // a symbolic link (isFolder tells where it ends)
};

// The entries of the folder at path, without "." and "..", in the order the
// file system returns them. The type comes from the listing itself; only a
// symbolic link or an entry of unknown type is looked up (a broken link is
// no folder). False with errno set when the folder cannot be opened or read;
// entries is then empty.
bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries);

// The whole content of the file at path, read by blocks until its end (a
// size the file system reports is not trusted). A FIFO without a writer reads
// as empty instead of waiting for one. False with errno set when it cannot be
// opened or read (EISDIR for a folder), or EFBIG when it holds more than
// maxBytes (a device such as /dev/zero never ends); content is then empty.
bool ReadWholeFile(const std::string& path, std::string& content, std::size_t maxBytes);
