// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the journal of in-place rewrites (Journal.cpp and its
// recovery): where journals and their records live, and their layout.

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace brantlow::platform::detail {

// A journal: this header, then the original's bytes from `offset` to its old
// end. The header is written last, once those bytes are on disk.
inline constexpr std::uint64_t kJournalHeaderSize = 64;
struct JournalHeader {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t offset = 0;
    std::uint64_t oldLength = 0;
    std::int64_t lastWriteSeconds = 0;
    std::int64_t lastWriteNanoseconds = 0;
    // The file's birth time in nanoseconds, which tells it apart from a later
    // file given the same inode number; 0 where unknown.
    std::int64_t birthNanoseconds = 0;
};
static_assert(8 + sizeof(JournalHeader) <= kJournalHeaderSize);

// The birth time of the open file in nanoseconds; 0 where the file system
// does not keep one.
std::int64_t birthTime(int fd);

enum class JournalState {
    Unsealed, // the rewrite never began: the original was not touched
    Sealed, // complete: it puts the original back
};

bool writeHeader(int fd, const JournalHeader &header);
JournalState readHeader(int fd, JournalHeader &header);

// The names of one file's journal: beside it, or in the state folder's
// "journal" folder, and its record there.
struct JournalPlaces {
    std::string registration; // "<device>-<inode>.entry", holding the file's path
    std::string inState; // "<device>-<inode>.journal"
    std::string beside; // ".<name>.brantlow-journal"
};
JournalPlaces journalPlaces(std::uint64_t device, std::uint64_t inode, const std::string &name);
// The state folder's "journal" folder, made when missing; empty with
// `error` set when it cannot be.
std::string journalFolder(int &error);

// Creates the record `name` in the state folder holding `text`, flushed with
// the folder; EEXIST when the file has an unfinished journal already.
bool writeRecord(int stateFd, const std::string &name, const std::string &text);
// Removes a record (or a journal), flushing its folder.
bool removeRecord(const std::string &path);

// Copies `length` bytes through a bounded buffer; each write is the step `step`.
bool copyBytes(int from, off_t fromOffset, int to, off_t toOffset, std::uint64_t length, const char *step);

// Puts the journal's bytes back into the file, cuts it to its old length,
// gives it its old last-write time and flushes it.
bool restoreFrom(int journalFd, const JournalHeader &header, int fileFd, const char *&step);

} // namespace brantlow::platform::detail
