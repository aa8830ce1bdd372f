#pragma once

#include <string>

#include "platform/desktop/detection.h"

namespace vendaro {

// The probe that asks this system (session bus, PATH, GSettings, X server).
class SystemProbe : public DesktopProbe {
 public:
  bool BusNameHasOwner(const std::string& name) override;
  bool BusNameAvailable(const std::string& name) override;
  bool ProgramExists(const std::string& name) override;
  bool SchemaInstalled(const std::string& schema) override;
  bool XDisplayOpens(const std::string& display) override;
  bool RootBackgroundVisible(const std::string& display) override;
};

}  // namespace vendaro
