// Which family of Windows runs the program, told from what the system is. The version it reports
// is not asked: the compatibility modes of XP (and of 2000 with its compatibility tools) for
// "Windows 95", "Windows 98 / Windows Me" and "Windows NT 4.0" make GetVersion and GetVersionEx
// report the older system, while the registry, the kernel objects and the processes stay those of
// the system underneath. A decision taken on the reported version is taken for a system that is not
// there: links in the registry go unseen, names are counted in the wrong unit, locks lose their
// namespace.
#pragma once

#include "base/SystemFamily.h"

// Decided once, from what no compatibility mode changes (the modes replace only the version calls):
// - where kernel32 is mapped: 95, 98 and Me map their system DLLs into the shared arena between 2
//   and 3 GB, the same for every process; on the NT family everything a 32-bit program without the
//   large-address flag sees, kernel32 included, lies below 2 GB;
// - whether the object manager has the "Global\" namespace (2000 and later, and NT 4.0's Terminal
//   Server Edition): asked by opening a name in it that nobody creates, which answers "not found"
//   where the namespace exists and "path not found" on NT 4.0, where it does not.
SystemFamily RunningSystemFamily() noexcept;
