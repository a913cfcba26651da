#include "platform/services.h"

#include <string>

#include "platform/headless/headless.h"

namespace platform {
namespace {

Services DefaultServices() {
  // Headless until an entry point installs something else.
  static SystemClock clock;
  static MemoryClipboard clipboard;
  static ScriptedDialogs dialogs;
  return {&clock, &clipboard, &dialogs};
}

}  // namespace

Services& Current() {
  static Services services = DefaultServices();
  return services;
}

ScopedServices::ScopedServices(const Services& services) : previous_(Current()) {
  Services& current = Current();
  if (services.clock) current.clock = services.clock;
  if (services.clipboard) current.clipboard = services.clipboard;
  if (services.dialogs) current.dialogs = services.dialogs;
}

ScopedServices::~ScopedServices() { Current() = previous_; }

}  // namespace platform
