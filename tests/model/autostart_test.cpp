#include "model/autostart.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace vendaro {
namespace {

// Short names for the three choices.
constexpr AutostartChoice kNoAutostart = AutostartChoice::None;
constexpr AutostartChoice kAutostartCurrentUser = AutostartChoice::CurrentUser;
constexpr AutostartChoice kAutostartAllUsers = AutostartChoice::AllUsers;

constexpr const char* kExe = "/opt/vendaro/bin/vendaro";

// One place: absent, holding a command, or holding something unreadable.
struct Place {
  bool readable = true;
  bool writable = true;
  bool exists = false;
  std::optional<std::string> command;
};

class MemoryStore : public AutostartStore {
 public:
  std::map<AutostartScope, Place> places{{AutostartScope::CurrentUser, {}},
                                         {AutostartScope::AllUsers, {}}};
  std::vector<std::string> changes;

  bool CanRead(AutostartScope s) override { return places[s].readable; }
  bool CanWrite(AutostartScope s) override { return places[s].writable; }
  bool Exists(AutostartScope s) override { return places[s].exists; }
  std::optional<std::string> ReadCommand(AutostartScope s) override {
    return places[s].exists ? places[s].command : std::nullopt;
  }
  bool Write(AutostartScope s, const std::string& path) override {
    changes.push_back(Name(s) + " write");
    places[s].exists = true;
    places[s].command = path;
    return true;
  }
  bool Remove(AutostartScope s) override {
    changes.push_back(Name(s) + " remove");
    places[s].exists = false;
    places[s].command.reset();
    return true;
  }

 private:
  static std::string Name(AutostartScope s) {
    return s == AutostartScope::AllUsers ? "all" : "user";
  }
};

Place Holding(std::optional<std::string> command) {
  return {true, true, true, std::move(command)};
}

struct SyncCase {
  const char* what;
  Place user;
  Place all;
  AutostartChoice shownBefore;
  AutostartChoice choice;
  std::vector<std::string> changes;
  AutostartChoice shownAfter;
};

TEST(Autostart, DetectAndSyncFollowTheTables) {
  const Place none;
  const Place ours = Holding(kExe);
  const Place quoted = Holding(std::string("\"") + kExe + "\"");
  const Place moved = Holding("/old/place/vendaro");
  const Place unreadable = Holding(std::nullopt);
  Place lockedOurs = ours;  // a machine-wide entry a user cannot change
  lockedOurs.writable = false;
  Place locked = none;
  locked.writable = false;

  const SyncCase cases[] = {
      {"nothing anywhere", none, none, kNoAutostart, kNoAutostart, {}, kNoAutostart},
      {"ours in both",
       ours,
       ours,
       kAutostartAllUsers,
       kAutostartCurrentUser,
       {"all remove"},
       kAutostartCurrentUser},
      {"quoted path, apply 1",
       quoted,
       none,
       kNoAutostart,
       kAutostartCurrentUser,
       {"user write"},
       kAutostartCurrentUser},
      {"quoted path, apply 0",
       quoted,
       none,
       kNoAutostart,
       kNoAutostart,
       {"user remove"},
       kNoAutostart},
      {"moved program, apply 1",
       moved,
       none,
       kNoAutostart,
       kAutostartCurrentUser,
       {"user write"},
       kAutostartCurrentUser},
      {"moved program, apply 2",
       none,
       moved,
       kNoAutostart,
       kAutostartAllUsers,
       {"all write"},
       kAutostartAllUsers},
      {"unchanged choice 1",
       ours,
       none,
       kAutostartCurrentUser,
       kAutostartCurrentUser,
       {},
       kAutostartCurrentUser},
      {"unchanged choice 2",
       none,
       ours,
       kAutostartAllUsers,
       kAutostartAllUsers,
       {},
       kAutostartAllUsers},
      {"user to all: the user's own goes once all users have one",
       ours,
       none,
       kAutostartCurrentUser,
       kAutostartAllUsers,
       {"all write", "user remove"},
       kAutostartAllUsers},
      {"all to user: other place first",
       none,
       ours,
       kAutostartAllUsers,
       kAutostartCurrentUser,
       {"all remove", "user write"},
       kAutostartCurrentUser},
      {"no rights, apply 2: the user's own stays",
       ours,
       locked,
       kAutostartCurrentUser,
       kAutostartAllUsers,
       {},
       kAutostartCurrentUser},
      {"no rights, apply 0",
       ours,
       lockedOurs,
       kAutostartAllUsers,
       kNoAutostart,
       {"user remove"},
       kAutostartAllUsers},
      {"no rights, apply 1",
       none,
       lockedOurs,
       kAutostartAllUsers,
       kAutostartCurrentUser,
       {"user write"},
       kAutostartAllUsers},
      {"unreadable value, apply 1",
       unreadable,
       none,
       kNoAutostart,
       kAutostartCurrentUser,
       {"user write"},
       kAutostartCurrentUser},
      {"unreadable value, apply 0",
       unreadable,
       unreadable,
       kNoAutostart,
       kNoAutostart,
       {"all remove", "user remove"},
       kNoAutostart},
  };
  for (const SyncCase& c : cases) {
    MemoryStore store;
    store.places[AutostartScope::CurrentUser] = c.user;
    store.places[AutostartScope::AllUsers] = c.all;
    EXPECT_EQ(DetectAutostart(store, kExe), c.shownBefore) << c.what;
    // Only a registration for all users that did not come is reported.
    const bool refused = c.choice == kAutostartAllUsers && c.shownAfter != kAutostartAllUsers;
    EXPECT_EQ(SyncAutostart(store, c.choice, kExe), !refused) << c.what;
    EXPECT_EQ(store.changes, c.changes) << c.what;
    EXPECT_EQ(DetectAutostart(store, kExe), c.shownAfter) << c.what;
  }
}

TEST(Autostart, AnUnreadablePlaceIsSkippedByDetection) {
  MemoryStore store;
  store.places[AutostartScope::AllUsers] = Holding(kExe);
  store.places[AutostartScope::AllUsers].readable = false;
  store.places[AutostartScope::CurrentUser] = Holding(kExe);
  EXPECT_EQ(DetectAutostart(store, kExe), kAutostartCurrentUser);
  store.places[AutostartScope::CurrentUser].readable = false;
  EXPECT_EQ(DetectAutostart(store, kExe), kNoAutostart);
}

TEST(Autostart, PathsCompareByteForByte) {
  MemoryStore store;
  store.places[AutostartScope::CurrentUser] = Holding("/OPT/vendaro/bin/vendaro");
  EXPECT_EQ(DetectAutostart(store, kExe), kNoAutostart);
}

}  // namespace
}  // namespace vendaro
