#pragma once

#include <memory>
#include <string>

#include "platform/desktop.h"

namespace vendaro {

// The display server alone (wlroots-style Wayland, X11 or none), ignoring the
// variables that name a desktop: what is left when the named desktop's
// service turns out to be absent.
DesktopKind DetectDisplayServer(const Environment& env);

// Run-time questions that confirm a detected desktop.
class DesktopProbe {
 public:
  virtual ~DesktopProbe() = default;
  virtual bool BusNameHasOwner(const std::string& name) = 0;
  virtual bool ProgramExists(const std::string& name) = 0;
  virtual bool SchemaInstalled(const std::string& schema) = 0;
  virtual bool XDisplayOpens(const std::string& display) = 0;
};

// The probe that asks this system (session bus, PATH, GSettings, X server).
class SystemProbe : public DesktopProbe {
 public:
  bool BusNameHasOwner(const std::string& name) override;
  bool ProgramExists(const std::string& name) override;
  bool SchemaInstalled(const std::string& schema) override;
  bool XDisplayOpens(const std::string& display) override;
};

class JournaledDesktop;

// The backend of a given desktop, without asking whether it answers.
std::unique_ptr<DesktopBackend> MakeDesktopBackendOf(DesktopKind kind, const Environment& env,
                                                     const std::string& stateFolder);
// The same for the desktops that journal; nothing for the others.
std::unique_ptr<JournaledDesktop> MakeJournaledDesktop(DesktopKind kind, const Environment& env,
                                                       const std::string& stateFolder);

// Whether the desktop's backend can work here.
bool DesktopAnswers(DesktopKind kind, const Environment& env, DesktopProbe& probe);

// The detected desktop if it answers; otherwise the display server's backend
// if that answers; otherwise Unknown.
DesktopKind ConfirmDesktop(const Environment& env, DesktopProbe& probe);

}  // namespace vendaro
