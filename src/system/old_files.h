#pragma once

#include <string>

namespace vendaro {

// The files a change makes old: the previous wallpaper's composed files and
// the shown files the desktop no longer names.  Each is tens of megabytes,
// and removing one frees its blocks, which takes milliseconds on ext4 (about
// 6 ms for a 4K canvas): the resident program lets them wait until it rests
// rather than make the change that shows the new wallpaper wait for them.
// Elsewhere (a one-off change, the tests) they are removed at once.

// Removes `path` now, or queues it while removals are deferred.
void RemoveOldFile(const std::string& path);
// Defers removals from now on, or stops deferring (removing what waits).
void DeferOldFileRemovals(bool defer);
// Removes the files that wait.
void RemoveWaitingOldFiles();

}  // namespace vendaro
