// The process's choice of registry back end.
#include "registry/RegistryBackend.h"

#include <stdexcept>

namespace {
RegistryBackend* g_active_backend = nullptr;
}

RegistryBackend& ActiveRegistryBackend() {
  if (g_active_backend == nullptr) throw std::logic_error("no registry back end installed");
  return *g_active_backend;
}

void SetActiveRegistryBackend(RegistryBackend* backend) { g_active_backend = backend; }
