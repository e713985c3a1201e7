// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace brantlow {

// How many files a rewriting run (add, remove, fix, undo) works on at once
// when not told: twice the cores, at least 8, and no more than leave each
// worker's replace group room for 8 files within the hard limit on open
// files. A rewrite waits on the disk far more than on a core: files in
// flight overlap their flushes (on 2 cores, 8 jobs rewrite 300 KB files about
// 1.4× as fast as 4 and 2.2× as fast as 2; 5 MB files as fast as 4). The
// memory budget still decides how many start.
unsigned defaultRewriteJobs();

} // namespace brantlow
