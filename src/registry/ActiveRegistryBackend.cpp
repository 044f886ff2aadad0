// The process's choice of registry back end.
#include "base/Exception.h"
#include "registry/TRegistryBackend.h"

namespace {
TRegistryBackend* g_active_backend = nullptr;
}

TRegistryBackend& ActiveRegistryBackend() {
  // A program error, not a user's: every program installs its back end before the first lookup.
  if (g_active_backend == nullptr) throw Exception("no registry back end installed");
  return *g_active_backend;
}

void SetActiveRegistryBackend(TRegistryBackend* backend) { g_active_backend = backend; }
