// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "UndoEdits.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace brantlow {

// What a run did to one file, enough to take it back: the file as the run
// left it (path, identity, length, last-write time), its changes with the
// bytes they replaced, and the last-write time it had before.
struct UndoRecord {
    std::string path;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t length = 0;
    timespec lastWrite{};
    timespec oldLastWrite{};
    LoggedEdits edits;
};

// One run as its log tells it.
struct RunInfo {
    std::string id; // the log's name without ".log"; runs sort by it in time order
    std::string command; // "add", "remove", "fix", "undo"
    std::string folder; // the working folder of the run
    std::int64_t started = 0; // seconds since the epoch
    std::size_t files = 0; // files rewritten
    bool finished = false; // the run ended; the counts below are known
    std::size_t unchanged = 0;
    std::size_t failed = 0;
};

// A run's log: a text file in the state folder's "runs", one line per file,
// appended once the file's new content is in place and flushed before the
// file's result is shown. A line cut short by a crash is no record.
class UndoLog {
public:
    // Starts a log for a run of `command` and prunes old logs. Null, with
    // the reason in `error`, when it cannot be made.
    static std::unique_ptr<UndoLog> start(const std::string &command, std::string &error);
    // A log that recorded no file is removed: that run changed nothing.
    ~UndoLog();
    UndoLog(const UndoLog &) = delete;
    UndoLog &operator=(const UndoLog &) = delete;

    // Appends a record; safe from any thread. False once a write failed.
    bool append(const UndoRecord &record);
    // Flushes what was appended to disk.
    void flush();
    // Notes how the run ended, for `runs`.
    void finish(std::size_t unchanged, std::size_t failed);

    const std::string &id() const { return m_id; }
    // Once any write failed: no file is rewritten without its record.
    void setRequired(bool required) { m_required = required; }
    bool refuses() const { return m_required && m_broken.load(); }
    // The warning that the log could not be written, the first time it is
    // asked after a failure; empty otherwise.
    std::string takeWarning();

private:
    UndoLog(int fd, std::string path, std::string id);
    bool write(const std::string &text);

    int m_fd = -1;
    std::string m_path;
    std::string m_id;
    std::mutex m_mutex;
    std::size_t m_records = 0;
    bool m_dirty = false;
    bool m_required = false;
    std::atomic<bool> m_broken{false};
    int m_error = 0;
    bool m_warned = false;
};

// The log file's lines.
std::string formatRecord(const UndoRecord &record);
bool parseRecord(const std::string &line, UndoRecord &record);

// Every run with a log, oldest first; an empty list when there are none.
std::vector<RunInfo> listRuns();
// A run's records; `id` empty: the last run. False with the reason in
// `error` when there is no such run or its log cannot be read.
bool readRun(const std::string &id, RunInfo &info, std::vector<UndoRecord> &records, std::string &error);
// Where the log of run `id` is, or empty with the reason in `error`.
std::string runLogPath(const std::string &id, std::string &error);

// Removes the logs of `folder` older than `maxAgeDays` days or beyond the
// newest `maxRuns`.
void pruneRuns(const std::string &folder, std::time_t now, int maxAgeDays = 90, std::size_t maxRuns = 10000);

} // namespace brantlow
