#include <poll.h>
#include <wayland-client.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/display/display_query.h"

namespace vendaro {
namespace {

using Clock = std::chrono::steady_clock;

struct Output {
  wl_output* proxy = nullptr;
  std::string name;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool turned = false;  // a quarter turn: the mode's sides swap on screen
};

struct Session {
  wl_registry* registry = nullptr;
  std::vector<std::unique_ptr<Output>> outputs;
  bool synced = false;
};

void Geometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*,
              const char*, int32_t transform) {
  auto* output = static_cast<Output*>(data);
  output->x = x;
  output->y = y;
  output->turned = transform % 2 == 1;
}

void Mode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
  auto* output = static_cast<Output*>(data);
  if (flags & WL_OUTPUT_MODE_CURRENT) {
    output->width = width;
    output->height = height;
  }
}

void Done(void*, wl_output*) {}
void Scale(void*, wl_output*, int32_t) {}
void Name(void* data, wl_output*, const char* name) {
  static_cast<Output*>(data)->name = name;
}
void Description(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener{Geometry, Mode, Done, Scale, Name, Description};

void Global(void* data, wl_registry* registry, uint32_t id, const char* interface,
            uint32_t version) {
  if (std::strcmp(interface, wl_output_interface.name) != 0) return;
  auto* session = static_cast<Session*>(data);
  auto output = std::make_unique<Output>();
  // Version 4 adds the output's name ("DP-1"); older compositors lack it.
  output->proxy = static_cast<wl_output*>(
      wl_registry_bind(registry, id, &wl_output_interface, version < 4 ? version : 4));
  wl_output_add_listener(output->proxy, &kOutputListener, output.get());
  session->outputs.push_back(std::move(output));
}

void GlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener{Global, GlobalRemove};

void Synced(void* data, wl_callback* callback, uint32_t) {
  static_cast<Session*>(data)->synced = true;
  wl_callback_destroy(callback);
}

const wl_callback_listener kSyncListener{Synced};

// Waits for the compositor to answer everything sent so far, or the deadline.
bool RoundTrip(wl_display* display, Session& session, Clock::time_point deadline) {
  session.synced = false;
  wl_callback* callback = wl_display_sync(display);
  wl_callback_add_listener(callback, &kSyncListener, &session);
  while (!session.synced) {
    while (wl_display_prepare_read(display) != 0) {
      if (wl_display_dispatch_pending(display) < 0) return false;
    }
    if (session.synced) {
      wl_display_cancel_read(display);
      break;
    }
    wl_display_flush(display);
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd fd{wl_display_get_fd(display), POLLIN, 0};
    if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
      wl_display_cancel_read(display);
      return false;
    }
    if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
      return false;
  }
  return true;
}

}  // namespace

Result<MonitorLayout> QueryWaylandOutputs(const std::string& name, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  wl_display* display = wl_display_connect(name.c_str());
  if (!display) return Status::Error("nie można połączyć się z kompozytorem Wayland " + name);
  Session session;
  session.registry = wl_display_get_registry(display);
  wl_registry_add_listener(session.registry, &kRegistryListener, &session);
  // The first round trip lists the outputs, the second brings their modes.
  const bool answered =
      RoundTrip(display, session, deadline) && RoundTrip(display, session, deadline);
  MonitorLayout layout;
  for (const auto& output : session.outputs) {
    if (answered && output->width > 0 && output->height > 0) {
      const int w = output->turned ? output->height : output->width;
      const int h = output->turned ? output->width : output->height;
      layout.push_back({output->name, {output->x, output->y, w, h}, layout.empty()});
    }
    wl_output_destroy(output->proxy);
  }
  wl_registry_destroy(session.registry);
  wl_display_disconnect(display);
  if (!answered)
    return Status::Error("kompozytor Wayland " + name + " nie odpowiada (czekano " +
                         std::to_string(timeoutMs / 1000) + " s)");
  if (layout.empty()) return Status::Error("kompozytor Wayland " + name + " nie ma ekranu");
  return layout;
}

}  // namespace vendaro
