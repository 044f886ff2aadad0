// Which family of Windows runs the program, where the families answer differently. The family is
// told from what the system is, not from the version it reports: the compatibility modes of XP (and
// of 2000 with its compatibility tools) for "Windows 95", "Windows 98 / Windows Me" and "Windows NT
// 4.0" make GetVersion and GetVersionEx report the older system, while the registry, the kernel
// objects and the processes stay those of the system underneath. A decision taken on the reported
// version is taken for a system that is not there: links in the registry go unseen, names are
// counted in the wrong unit, processes lose their owners.
#pragma once

enum class SystemFamily {
  kWindows9x,  // 95, 98 and Me: an ANSI registry, no process owners, no object namespaces
  kWindowsNt,  // NT 4.0, 2000, XP and later: a UTF-16 registry with links, processes with owners
};

// The Windows program's family, decided once from what no compatibility mode changes (the modes
// replace only the version calls): where kernel32 is mapped. 95, 98 and Me map their system DLLs
// into the shared arena between 2 and 3 GB, the same for every process; on the NT family everything
// a 32-bit program without the large-address flag sees, kernel32 included, lies below 2 GB.
SystemFamily RunningSystemFamily() noexcept;
