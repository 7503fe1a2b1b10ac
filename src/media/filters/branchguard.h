// tessivo_branchguard heads each input of a recording branch, right after
// the queue that takes it from the preview's tee. It passes everything on
// unchanged and keeps the branch from taking the preview down:
// - a write error downstream is answered "ok" to the tee, the branch's next
//   data is dropped, and one "tessivo-branch-failed" element message says so;
// - the free space of the file's folder is watched: when it falls below the
//   reserve (room for the index and the headers), one "tessivo-disk-full"
//   message asks the program to finish the file.
#pragma once

#include <gst/gst.h>

#include <cstdint>

inline constexpr char kBranchGuardElement[] = "tessivo_branchguard";
inline constexpr char kBranchFailedMessage[] = "tessivo-branch-failed";
inline constexpr char kDiskFullMessage[] = "tessivo-disk-full";
// Room kept free for what a writer adds when the file is finished.
inline constexpr std::uint64_t kDiskReserveBytes = 8ull * 1024 * 1024;

// Registers the element in the program's plug-in (tessivoelements.h).
bool RegisterBranchGuard(GstPlugin* plugin);
