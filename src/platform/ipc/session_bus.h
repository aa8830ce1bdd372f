#pragma once

// Method calls on the session bus through GDBus, each bounded by what is left
// of a change's budget.  GLib types only as opaque pointers here, so Qt code
// may include this header too.

#include <memory>
#include <string>

#include "platform/desktop/wait_budget.h"
#include "system/status.h"

typedef struct _GVariant GVariant;

namespace vendaro {

struct VariantUnref {
  void operator()(GVariant* value) const;
};
using VariantPtr = std::unique_ptr<GVariant, VariantUnref>;

// A service's object and interface on the session bus; `who` names it in
// messages ("usługa ustawień xfconfd").
struct BusService {
  const char* name;
  const char* path;
  const char* interface;
  const char* who;
};

// Calls `method` with `args` (a floating or owned tuple, consumed) and waits
// at most what the budget has left.  `replyType` is a GVariant type string
// such as "(s)", or nullptr for any.  The service may be started by the bus
// if it is not running.  The reply; when the service answers with an error,
// `errorName` (if given) also gets its D-Bus name.
Result<VariantPtr> CallSessionBus(const BusService& service, const char* method, GVariant* args,
                                  const char* replyType, WaitBudget& budget,
                                  std::string* errorName = nullptr);

// Whether a name on the session bus has an owner or can be started by the
// bus.
bool SessionBusNameAvailable(const std::string& name);

}  // namespace vendaro
