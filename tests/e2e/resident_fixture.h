#pragma once

// The resident program on a private Xvfb with no desktop, with a list of
// three one-coloured pictures and its own home.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <filesystem>

#include "model/ini_file.h"
#include "support/test_environment.h"
#include "xvfb_session.h"

namespace vendaro::testing {

inline const std::string kProgram = std::string(VENDARO_BIN_DIR) + "/vendaro";
inline constexpr int kWidth = 320;
inline constexpr int kHeight = 240;

class ResidentEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (QStandardPathsMissing()) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_TRUE(x_.Start(kWidth, kHeight));
    environment_ = QProcessEnvironment::systemEnvironment();
    environment_.insert("DISPLAY", QString::fromStdString(x_.display()));
    environment_.insert("QT_QPA_PLATFORM", "xcb");
    // libxkbcommon-x11 calls strndup on unterminated names, which is legal
    // but trips the strict string checks the test run asks for.
    environment_.insert("ASAN_OPTIONS",
                        environment_.value("ASAN_OPTIONS") + ":strict_string_checks=0");
    data_ = std::string(std::getenv("XDG_CONFIG_HOME")) + "/Vendaro/";
    temp_ = std::string(std::getenv("XDG_STATE_HOME")) + "/Vendaro/";
    ini_ = data_ + "vendaro.ini";
    std::filesystem::create_directories(data_);
    std::string pictures = MakeTempDir("pictures") + "/";
    std::string list;
    const std::pair<const char*, Qt::GlobalColor> shown[] = {
        {"czerwony.png", Qt::red}, {"zielony.jpg", Qt::green}, {"niebieski.png", Qt::blue}};
    for (const auto& [name, colour] : shown) {
      QImage picture(64, 48, QImage::Format_RGB32);
      picture.fill(colour);
      ASSERT_TRUE(picture.save(QString::fromStdString(pictures + name), nullptr, 100));
      list += pictures + name + "\r\n";
    }
    WriteFileBytes(data_ + "default.vdl", list);
    // Stretched, no notification window; the version check runs against the
    // library installed beside the program.
    WriteFileBytes(ini_,
                   "[Zmiany]\r\nRozciagniecie=0\r\nOkno informacji=0\r\n[Opcje]\r\nWersja=1\r\n");
  }

  static bool QStandardPathsMissing() { return QStandardPaths::findExecutable("Xvfb").isEmpty(); }

  int RunCommand(const QString& word, std::string* errors = nullptr) {
    QProcess command;
    command.setProcessEnvironment(environment_);
    command.start(QString::fromStdString(kProgram), {word});
    command.waitForFinished(120000);
    if (errors) *errors = command.readAllStandardError().toStdString();
    return command.exitStatus() == QProcess::NormalExit ? command.exitCode() : -1;
  }

  // Starts the program with the fixture's environment and waits until it has
  // set a wallpaper in place of `before`.
  void StartAndWaitForWallpaper(unsigned long before) {
    resident_.setProcessEnvironment(environment_);
    resident_.setProcessChannelMode(QProcess::ForwardedChannels);
    resident_.start(QString::fromStdString(kProgram), {});
    ASSERT_TRUE(resident_.waitForStarted(30000));
    ASSERT_NE(WaitForRootPixmapOtherThan(before), 0u) << "no wallpaper was set";
  }

  // Waits (bounded, never timed) until the root pixmap differs from `old`.
  unsigned long WaitForRootPixmapOtherThan(unsigned long old) {
    QDeadlineTimer deadline(120000);
    while (!deadline.hasExpired() && resident_.state() == QProcess::Running) {
      unsigned long now = x_.RootPixmap();
      if (now != 0 && now != old) return now;
      resident_.waitForFinished(100);  // also notices a program that ended
    }
    return 0;
  }

  // A corner: the splash covers the centre for the first second.
  std::uint32_t Corner() { return x_.RootPixel(4, 4); }

  XvfbSession x_;
  QProcessEnvironment environment_;
  QProcess resident_;
  std::string data_;
  std::string temp_;
  std::string ini_;
};

inline bool Near(std::uint32_t pixel, std::uint32_t expected) {
  for (int shift : {0, 8, 16}) {
    int a = static_cast<int>((pixel >> shift) & 0xFF),
        b = static_cast<int>((expected >> shift) & 0xFF);
    if (std::abs(a - b) > 8) return false;
  }
  return true;
}

}  // namespace vendaro::testing
