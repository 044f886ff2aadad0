// Walking a window up to its top-level window, the way the system's own GA_ROOT walk does, for
// systems whose user32 has no GetAncestor (Windows 95 and NT 4.0).
#pragma once

// The top-level window that window lies in: the window itself when it is no child window, else its
// parent's root. Only a child window's parent is followed: a top-level window's "parent", as
// GetParent answers, is its owner, another top-level window, where the walk must stop. A null
// window gives null.
template <typename Window, typename IsChildWindow, typename ParentOf>
Window RootWindowOf(Window window, IsChildWindow is_child_window, ParentOf parent_of) {
  while (window && is_child_window(window)) {
    const Window parent = parent_of(window);
    if (!parent) break;
    window = parent;
  }
  return window;
}
