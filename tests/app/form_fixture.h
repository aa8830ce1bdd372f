#pragma once

// The main form in-process on prepared folders: a dummy desktop, a fixed
// clock, a small screen and messages recorded instead of shown.

#include <gtest/gtest.h>

#include <QImage>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/resident_session.h"
#include "model/ini_file.h"
#include "support/dummy_desktop.h"
#include "support/test_environment.h"

namespace vendaro::testing {

class FormTest : public ::testing::Test {
 protected:
  FormTest() : root_(MakeTempDir("form") + "/") {
    for (const char* name : {"data", "temp", "bin", "pictures"})
      std::filesystem::create_directory(root_ + name);
    data_ = root_ + "data/";
    temp_ = root_ + "temp/";
    bin_ = root_ + "bin/";
    pictures_ = root_ + "pictures/";
  }

  std::string Picture(const std::string& name, int width, int height,
                      Qt::GlobalColor colour = Qt::red) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    std::string path = pictures_ + name;
    EXPECT_TRUE(image.save(QString::fromStdString(path)));
    return path;
  }

  // A list file of `paths` with CR LF line ends.
  void WriteList(const std::string& fileName, const std::vector<std::string>& paths) {
    std::string text;
    for (const std::string& path : paths) text += path + "\r\n";
    WriteFileBytes(data_ + fileName, text);
  }

  // Settings without the version check unless asked for.
  void WriteIni(const std::string& zmiany, bool versionCheck = false) {
    WriteFileBytes(data_ + "vendaro.ini", "[Zmiany]\r\n" + zmiany + "[Opcje]\r\nWersja=" +
                                              (versionCheck ? "1" : "0") + "\r\n");
  }

  // Beside the executable, or into `folder`.
  void InstallVersionLibrary(const std::string& variant, const std::string& folder = {}) {
    std::filesystem::copy_file(std::string(FAKE_VERDPAK_DIR) + "/" + variant + "/libverdpak.so",
                               (folder.empty() ? bin_ : folder) + "libverdpak.so",
                               std::filesystem::copy_options::overwrite_existing);
  }

  std::unique_ptr<TForm2> MakeForm(bool remoteControl = false) {
    return std::make_unique<TForm2>(MakeServices(remoteControl));
  }

  AppServices MakeServices(bool remoteControl = false) {
    AppServices services;
    services.now = [] { return std::chrono::system_clock::from_time_t(1'773'489'600); };
    services.millisecondsSinceBoot = [] { return std::uint64_t{3'600'000}; };
    services.bootId = [] { return std::string("boot-test"); };
    services.screenSize = [] { return ScreenSize{64, 48}; };
    services.monitors = monitorsHook_;
    services.screenSettleMs = 1;
    auto desktop = std::make_unique<DummyDesktop>();
    desktop_ = desktop.get();
    services.desktop = std::move(desktop);
    services.executablePath = bin_ + executableName_;
    services.dataFolder = data_;
    services.tempFolder = temp_;
    services.performanceCounter = [] { return std::uint64_t{42}; };
    services.tellUser = [this](const UserMessage& message) { messages_.push_back(message); };
    services.remoteControl = remoteControl;
    return services;
  }

  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const UserMessage& message : messages_) texts.push_back(message.text);
    return texts;
  }

  IniFile Ini() const { return IniFile(data_ + "vendaro.ini"); }

  std::string root_, data_, temp_, bin_, pictures_;
  std::string executableName_ = "vendaro";
  DummyDesktop* desktop_ = nullptr;
  // The monitors the form sees; empty: one of the screen's size.
  std::function<MonitorLayout()> monitorsHook_;
  std::vector<UserMessage> messages_;
};

}  // namespace vendaro::testing
