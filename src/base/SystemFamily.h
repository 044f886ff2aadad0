// The families of Windows that the program runs on, where they answer differently.
#pragma once

enum class SystemFamily {
  kWindows9x,    // 95, 98 and Me: no process owners, no object namespaces
  kNt4,          // NT 4.0: owners, but no object namespaces yet (a backslash makes a name invalid)
  kNt5AndLater,  // 2000 and later: "Global\" and "Local\" namespaces, sessions
};
