#include "platform/ipc/session_bus.h"

#include <gio/gio.h>

namespace vendaro {
namespace {

struct ErrorFree {
  void operator()(GError* error) const { g_error_free(error); }
};
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

struct ObjectUnref {
  void operator()(gpointer object) const { g_object_unref(object); }
};
using BusPtr = std::unique_ptr<GDBusConnection, ObjectUnref>;

constexpr const char* kNoBus = "brak połączenia z sesyjną magistralą D-Bus";

// GDBus keeps one shared connection; this takes a reference to it.
Result<BusPtr> SessionBus() {
  GError* raw = nullptr;
  BusPtr bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &raw));
  ErrorPtr error(raw);
  if (!bus)
    return Status::Error(std::string(kNoBus) +
                         (error ? std::string(" (") + error->message + ")" : ""));
  return bus;
}

bool AskBool(GDBusConnection* bus, const char* method, const std::string& name) {
  GError* raw = nullptr;
  VariantPtr reply(g_dbus_connection_call_sync(
      bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method,
      g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE,
      kChangeLimitMs, nullptr, &raw));
  ErrorPtr error(raw);
  gboolean answer = FALSE;
  if (reply) g_variant_get(reply.get(), "(b)", &answer);
  return answer;
}

}  // namespace

void VariantUnref::operator()(GVariant* value) const {
  g_variant_unref(value);
}

Result<VariantPtr> CallSessionBus(const BusService& service, const char* method, GVariant* args,
                                  const char* replyType, WaitBudget& budget,
                                  std::string* errorName) {
  if (args) g_variant_ref_sink(args);
  VariantPtr ownedArgs(args);
  const Result<BusPtr> bus = SessionBus();
  if (!bus) return bus.status();
  if (budget.Spent()) return WaitBudget::TimedOut(std::string("usługa ") + service.who);
  GError* raw = nullptr;
  VariantPtr reply;
  {
    Waiting waiting(budget);
    reply.reset(g_dbus_connection_call_sync(
        bus->get(), service.name, service.path, service.interface, method, ownedArgs.get(),
        replyType ? G_VARIANT_TYPE(replyType) : nullptr, G_DBUS_CALL_FLAGS_NONE, budget.LeftMs(),
        nullptr, &raw));
  }
  ErrorPtr error(raw);
  if (reply) return reply;
  if (error && g_error_matches(error.get(), G_IO_ERROR, G_IO_ERROR_TIMED_OUT))
    return WaitBudget::TimedOut(std::string("usługa ") + service.who);
  if (!error) return Status::Error(std::string("usługa ") + service.who + " nie odpowiada");
  if (g_error_matches(error.get(), G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
      g_error_matches(error.get(), G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER))
    return Status::Error(std::string("usługa ") + service.who + " (" + service.name +
                         ") nie działa");
  const bool refused = g_dbus_error_is_remote_error(error.get());
  if (refused && errorName) {
    std::unique_ptr<gchar, decltype(&g_free)> name(g_dbus_error_get_remote_error(error.get()),
                                                   &g_free);
    *errorName = name ? name.get() : "";
  }
  g_dbus_error_strip_remote_error(error.get());
  return Status::Error(std::string("usługa ") + service.who +
                       (refused ? " odrzuciła polecenie: " : ": ") + error->message);
}

bool SessionBusNameAvailable(const std::string& name) {
  const Result<BusPtr> connected = SessionBus();
  if (!connected) return false;
  GDBusConnection* bus = connected->get();
  if (AskBool(bus, "NameHasOwner", name)) return true;
  GError* raw = nullptr;
  VariantPtr reply(g_dbus_connection_call_sync(
      bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
      "ListActivatableNames", nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE,
      kChangeLimitMs, nullptr, &raw));
  ErrorPtr error(raw);
  if (!reply) return false;
  GVariantIter* names = nullptr;
  g_variant_get(reply.get(), "(as)", &names);
  bool found = false;
  const gchar* each = nullptr;
  while (!found && g_variant_iter_next(names, "&s", &each)) found = name == each;
  g_variant_iter_free(names);
  return found;
}

}  // namespace vendaro
