#pragma once

// A scheduler on a fake clock, with a composition that only records what it
// was asked and pictures that are empty files in a sandbox folder.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "app/change_scheduler.h"
#include "model/ini_file.h"
#include "support/test_environment.h"

namespace vendaro::testing {

class SchedulerTest : public ::testing::Test {
 protected:
  SchedulerTest()
      : scheduler_(SchedulerClock{[this] { return now_; }, [this] { return bootMs_; },
                                  [this] { return bootId_; }},
                   random_, Hooks()),
        folder_(MakeTempDir("sched") + "/"),
        dataFolder_(scheduler_.state().dataFolder),
        tempFolder_(scheduler_.state().tempFolder),
        settings_(scheduler_.state().settings),
        list_(scheduler_.state().list),
        settingsOpen_(scheduler_.state().settingsWindowOpen) {
    dataFolder_ = folder_;
    tempFolder_ = folder_;
    settings_.IntervalMinutes = 1;
    settings_.PreviousPosition = -1;
    now_ = At(2026, 3, 14, 12, 0, 0);
    scheduler_.items().Nastpnatapeta1.onClick = [this] { scheduler_.Next(); };
    scheduler_.items().Poprzedniatapeta1.onClick = [this] { scheduler_.Previous(); };
  }

  static std::chrono::system_clock::time_point At(int y, int mo, int d, int h, int mi, int s) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
  }

  // Entries for pictures "p0.jpg" ... that exist unless named in `missing`.
  void MakeList(int count, const std::vector<int>& missing = {}) {
    list_.clear();
    for (int i = 0; i < count; ++i) {
      std::string path = folder_ + "p" + std::to_string(i) + ".jpg";
      bool gone = std::find(missing.begin(), missing.end(), i) != missing.end();
      if (gone) {
        std::remove(path.c_str());
      } else {
        WriteFileBytes(path, "x");
      }
      list_.push_back(MakeEntry(path, 10, 10));
    }
  }

  // Which picture (its index in the list as first made) each composition drew.
  std::vector<int> Composed() const {
    std::vector<int> indices;
    for (const WallpaperEntry& entry : composed_) {
      std::size_t p = entry.path.find("/p") + 2;
      indices.push_back(std::stoi(entry.path.substr(p)));
    }
    return indices;
  }

  IniFile Ini() const { return IniFile(dataFolder_ + kSettingsFileName); }

  // Ticks the timer `count` times and returns the tick numbers (from 1) on
  // which a composition happened.
  std::vector<int> TickAndRecord(int count) {
    std::vector<int> ticks;
    for (int tick = 1; tick <= count; ++tick) {
      std::size_t before = composed_.size();
      scheduler_.Tick();
      if (composed_.size() != before) ticks.push_back(tick);
    }
    return ticks;
  }

  SchedulerHooks Hooks() {
    SchedulerHooks hooks;
    hooks.fileExists = FileExists;
    hooks.showNotification = [this](const WallpaperEntry& entry) {
      notifications_.push_back(entry);
      shown_ = true;
    };
    hooks.hideNotification = [this] { shown_ = false; };
    hooks.compose = [this](const WallpaperEntry& entry) {
      composed_.push_back(entry);
      itemsDuringCompose_ = {scheduler_.items().Nastpnatapeta1.enabled,
                             scheduler_.items().Ustawienia1.enabled};
      if (duringCompose_) duringCompose_();
      return composeResult_;
    };
    hooks.showBalloon = [this](const std::string& text) { balloons_.push_back(text); };
    hooks.showError = [this](const std::string& text) { errors_.push_back(text); };
    hooks.itemsChanged = [] {};
    hooks.picturesPerChange = [this] { return picturesPerChange_; };
    return hooks;
  }

  PlatformRandom random_{0};
  std::chrono::system_clock::time_point now_;
  std::uint64_t bootMs_ = 600'000;
  std::string bootId_;

  std::vector<WallpaperEntry> composed_;
  std::vector<WallpaperEntry> notifications_;
  std::vector<std::string> balloons_;
  std::vector<std::string> errors_;
  std::pair<bool, bool> itemsDuringCompose_{true, true};
  bool shown_ = false;
  Status composeResult_;
  int picturesPerChange_ = 1;
  std::function<void()> duringCompose_;

  ChangeScheduler scheduler_;
  // The scheduler's state under short names.
  std::string folder_;
  std::string& dataFolder_;
  std::string& tempFolder_;
  Settings& settings_;
  EntryList& list_;
  bool& settingsOpen_;
};

}  // namespace vendaro::testing
