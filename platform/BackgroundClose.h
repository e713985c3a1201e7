// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace brantlow::platform {

// Closes `fd` on a thread of its own, soon. For the descriptor of an original
// already replaced by its new file: the last close of a large file frees its
// pages and blocks (a 200 MB file: about 70 ms), which nothing needs to wait
// for. The process's normal exit waits until every descriptor handed over is
// closed. Closed at once instead while the thread is closing another (parallel
// workers keep closing in parallel), where it cannot start, or in a child
// process after a fork.
void closeInBackground(int fd);

} // namespace brantlow::platform
