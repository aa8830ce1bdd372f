#include "platform/desktops/x11/x11_desktop.h"

#include <gtest/gtest.h>

#include <QImage>
#include <cstdio>
#include <memory>

#include "platform/desktop/desktop_probe.h"
#include "platform/desktop/restore_journal.h"
#include "platform/display/x11_connection.h"
#include "platform/platform_test_util.h"
#include "platform/xvfb_server.h"
#include "support/test_environment.h"

namespace vendaro {
namespace {

using testing::MakeTempDir;

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// Reads the root window and its properties the way a pseudo-transparent
// terminal or a screenshot tool would.
class RootView {
 public:
  explicit RootView(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}
  ~RootView() {
    if (display_) XCloseDisplay(display_);
  }
  bool ok() const { return display_ != nullptr; }

  Canvas Pixels() {
    Window root = DefaultRootWindow(display_);
    XImage* image = XGetImage(display_, root, 0, 0, kWidth, kHeight, AllPlanes, ZPixmap);
    Canvas canvas = testing::SolidCanvas(kWidth, kHeight, 0, 0, 0);
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        unsigned long pixel = XGetPixel(image, x, y);
        std::uint8_t* out = canvas.row(y) + x * 3;
        out[0] = std::uint8_t((pixel & image->red_mask) >> 16);
        out[1] = std::uint8_t((pixel & image->green_mask) >> 8);
        out[2] = std::uint8_t(pixel & image->blue_mask);
      }
    }
    XDestroyImage(image);
    return canvas;
  }

  Pixmap Property(const char* name) {
    Atom atom = XInternAtom(display_, name, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap pixmap = None;
    XGetWindowProperty(display_, DefaultRootWindow(display_), atom, 0, 1, False, AnyPropertyType,
                       &type, &format, &count, &after, &data);
    if (data && count == 1) pixmap = *reinterpret_cast<Pixmap*>(data);
    if (data) XFree(data);
    return pixmap;
  }

  // As another wallpaper setter would leave it: a solid pixmap kept after
  // its connection closed, named in both properties.
  static Pixmap SetUsersBackground(const std::string& display, std::uint8_t r, std::uint8_t g,
                                   std::uint8_t b) {
    auto connection = std::move(*x11::Connection::Open(display));
    const Result<Pixmap> uploaded = connection->CreateFilled(kWidth, kHeight, Rgb(r, g, b));
    EXPECT_TRUE(uploaded);
    const Pixmap pixmap = uploaded ? *uploaded : None;
    connection->SetRootPixmap(pixmap);
    XSetCloseDownMode(connection->display(), RetainPermanent);
    EXPECT_TRUE(connection->Sync("test"));
    return pixmap;
  }

  static void ClearUsersBackground(const std::string& display) {
    auto connection = std::move(*x11::Connection::Open(display));
    Pixmap current = connection->RootPixmap();
    connection->DeleteRootPixmap();
    if (current != None) XKillClient(connection->display(), current);
    (void)connection->Sync("test");
  }

  static bool Exists(const std::string& display, Pixmap pixmap) {
    return (*x11::Connection::Open(display))->PixmapExists(pixmap);
  }

 private:
  Display* display_;
};

class X11DesktopTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = std::make_unique<testing::XvfbServer>(kWidth, kHeight); }
  static void TearDownTestSuite() { server_.reset(); }

  void SetUp() override {
    if (server_->display().empty()) GTEST_SKIP() << server_->problem();
    RootView::ClearUsersBackground(display());
  }
  const std::string& display() const { return server_->display(); }

  std::string state = MakeTempDir("x11-state");
  std::string bmp = testing::WriteComposedFile(state, "photo.jpg.bmp");

  static std::unique_ptr<testing::XvfbServer> server_;
};

std::unique_ptr<testing::XvfbServer> X11DesktopTest::server_;

TEST_F(X11DesktopTest, ShowsTheCanvasAndGivesTheUsersBackgroundBack) {
  const Pixmap users = RootView::SetUsersBackground(display(), 10, 20, 30);
  X11Desktop desktop(display(), state);
  RootView root(display());
  ASSERT_TRUE(root.ok());

  const Canvas first = testing::PatternCanvas(kWidth, kHeight, 1);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, first));
  EXPECT_EQ(root.Pixels().rgb, first.rgb);
  const Pixmap ours = root.Property("_XROOTPMAP_ID");
  EXPECT_NE(ours, users);
  EXPECT_EQ(root.Property("ESETROOT_PMAP_ID"), ours);
  EXPECT_TRUE(testing::FileExists(JournalPath(state)));

  const Canvas second = testing::PatternCanvas(kWidth, kHeight, 2);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, second)) << "the same file name again";
  EXPECT_EQ(root.Pixels().rgb, second.rgb);
  EXPECT_FALSE(RootView::Exists(display(), ours)) << "the previous pixmap is freed";
  const Pixmap ours2 = root.Property("_XROOTPMAP_ID");

  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  EXPECT_EQ(root.Pixels().rgb, testing::SolidCanvas(kWidth, kHeight, 10, 20, 30).rgb);
  EXPECT_EQ(root.Property("_XROOTPMAP_ID"), users);
  EXPECT_EQ(root.Property("ESETROOT_PMAP_ID"), users);
  EXPECT_FALSE(RootView::Exists(display(), ours2));
  EXPECT_FALSE(testing::FileExists(JournalPath(state)));
  EXPECT_TRUE(desktop.RestoreUserWallpaper()) << "twice is harmless";
}

TEST_F(X11DesktopTest, WithoutAnOriginalThePropertiesGoAway) {
  X11Desktop desktop(display(), state);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(kWidth, kHeight, 3)));
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  RootView root(display());
  EXPECT_EQ(root.Property("_XROOTPMAP_ID"), Pixmap(None));
  EXPECT_EQ(root.Property("ESETROOT_PMAP_ID"), Pixmap(None));
}

TEST_F(X11DesktopTest, AnotherProgramsNewerBackgroundIsLeftAlone) {
  X11Desktop desktop(display(), state);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, testing::PatternCanvas(kWidth, kHeight, 4)));
  const Pixmap newer = RootView::SetUsersBackground(display(), 1, 2, 3);
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
  RootView root(display());
  EXPECT_EQ(root.Property("_XROOTPMAP_ID"), newer);
  EXPECT_EQ(root.Pixels().rgb, testing::SolidCanvas(kWidth, kHeight, 1, 2, 3).rgb);
}

TEST_F(X11DesktopTest, AKilledRunIsMendedAtTheNextStart) {
  const Pixmap users = RootView::SetUsersBackground(display(), 40, 50, 60);
  setenv("DISPLAY", display().c_str(), 1);
  std::string output;
  ASSERT_TRUE(
      testing::SetAndGetKilled(DesktopKind::X11, state, bmp, kWidth, kHeight, 200, 100, 0, &output))
      << output;
  unsetenv("DISPLAY");
  RootView root(display());
  EXPECT_EQ(root.Pixels().rgb, testing::SolidCanvas(kWidth, kHeight, 200, 100, 0).rgb);

  ASSERT_TRUE(RecoverFromJournal(state));
  EXPECT_EQ(root.Property("_XROOTPMAP_ID"), users);
  EXPECT_EQ(root.Pixels().rgb, testing::SolidCanvas(kWidth, kHeight, 40, 50, 60).rgb);
  EXPECT_FALSE(testing::FileExists(JournalPath(state)));
}

// The next change's pixmap, sent ahead from its files, shows nothing until
// that change; a file replaced in between makes the change send it anew.
TEST_F(X11DesktopTest, APixmapSentAheadShowsWithItsChangeAndOnlyAsTheFilesAreThen) {
  X11Desktop desktop(display(), state);
  RootView root(display());
  const Canvas first = testing::PatternCanvas(kWidth, kHeight, 1);
  ASSERT_TRUE(desktop.SetWallpaper(bmp, first));
  const std::string ahead = state + "/ahead-0.bmp";
  const auto save = [](const Canvas& c, const std::string& path) {
    const QImage image(c.rgb.data(), c.width, c.height, c.width * 3, QImage::Format_RGB888);
    ASSERT_TRUE(image.save(QString::fromStdString(path + ".new"), "BMP"));
    ASSERT_EQ(std::rename((path + ".new").c_str(), path.c_str()), 0);
  };
  const Canvas bare{kWidth, kHeight, {}};  // its pixels only in its file
  for (const bool replaced : {false, true}) {
    SCOPED_TRACE(replaced ? "a file replaced" : "the same file");
    const Canvas next = testing::PatternCanvas(kWidth, kHeight, replaced ? 6 : 5);
    save(next, ahead);
    desktop.PrepareWallpapers(OneScreen(bare, ahead));
    EXPECT_NE(root.Pixels().rgb, next.rgb) << "nothing shows before its change";
    const Canvas later = testing::PatternCanvas(kWidth, kHeight, 7);
    if (replaced) save(later, ahead);
    ASSERT_TRUE(desktop.SetWallpapers(OneScreen(bare, ahead)));
    EXPECT_EQ(root.Pixels().rgb, (replaced ? later : next).rgb);
  }
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
}

// Every change leaves a client retained in the server for its pixmap and
// ends the one before: a long session, changes readied ahead or not, must
// not use up the server's 256 clients (then no program could connect).
TEST_F(X11DesktopTest, ThreeHundredChangesLeaveTheServerOpen) {
  X11Desktop desktop(display(), state);
  const std::string ahead = state + "/ahead-0.bmp";
  const Canvas bare{kWidth, kHeight, {}};
  for (int i = 0; i < 300; ++i) {
    const Canvas next = testing::PatternCanvas(kWidth, kHeight, i % 7);
    const QImage image(next.rgb.data(), kWidth, kHeight, kWidth * 3, QImage::Format_RGB888);
    ASSERT_TRUE(image.save(QString::fromStdString(ahead), "BMP"));
    if (i % 2) desktop.PrepareWallpapers(OneScreen(bare, ahead));
    ASSERT_TRUE(desktop.SetWallpapers(OneScreen(bare, ahead))) << "change " << i;
  }
  ASSERT_TRUE(desktop.RestoreUserWallpaper());
}

// Both roads of the upload give the same exact pixels: shared memory, and
// bands under the request limit (a canvas of several bands).
TEST_F(X11DesktopTest, SharedMemoryAndBandsUploadTheSamePixels) {
  const Canvas canvas = testing::PatternCanvas(1500, 1000, 5);
  auto connection = std::move(*x11::Connection::Open(display()));
  const Result<x11::Connection::PixelLayout> layoutRead = connection->LayoutOfScreen();
  ASSERT_TRUE(layoutRead);
  const x11::Connection::PixelLayout layout = *layoutRead;
  Display* dpy = connection->display();
  for (bool shared : {true, false}) {
    Pixmap pixmap =
        XCreatePixmap(dpy, connection->root(), 1500, 1000, unsigned(DefaultDepth(dpy, 0)));
    GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
    if (shared) {
      ASSERT_TRUE(connection->UploadShared(canvas, layout, pixmap, gc)) << "Xvfb offers MIT-SHM";
    } else {
      connection->UploadInBands(canvas, layout, pixmap, gc);
    }
    ASSERT_TRUE(connection->Sync("upload"));
    XImage* image = XGetImage(dpy, pixmap, 0, 0, 1500, 1000, AllPlanes, ZPixmap);
    int wrong = 0;
    for (int y = 0; y < 1000; y += 7) {
      for (int x = 0; x < 1500; x += 3) {
        const unsigned long pixel = XGetPixel(image, x, y);
        const std::uint8_t* in = canvas.row(y) + x * 3;
        wrong += ((pixel >> 16) & 0xFF) != in[0] || ((pixel >> 8) & 0xFF) != in[1] ||
                 (pixel & 0xFF) != in[2];
      }
    }
    EXPECT_EQ(wrong, 0) << (shared ? "shared memory" : "bands");
    XDestroyImage(image);
    XFreeGC(dpy, gc);
    XFreePixmap(dpy, pixmap);
  }
}

TEST(X11LostServer, FailsTheChangeAndKeepsTheProgramRunning) {
  testing::XvfbServer server(kWidth, kHeight);
  if (server.display().empty()) GTEST_SKIP() << server.problem();
  auto opened = x11::Connection::Open(server.display());
  ASSERT_TRUE(opened);
  auto connection = std::move(*opened);
  server.Stop();
  const Status status = connection->CreateFilled(kWidth, kHeight, Rgb(1, 2, 3)).status();
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find("Utracono"), std::string::npos) << status.message();
  connection.reset();
  EXPECT_TRUE(X11Desktop(":398", MakeTempDir("x11-lost")).RestoreUserWallpaper()) << "still here";
}

TEST(X11DesktopNoServer, ReportsTheConnectionInsteadOfExiting) {
  X11Desktop desktop(":398", MakeTempDir("x11-none"));
  Status status = desktop.SetWallpaper("/nonexistent.bmp", testing::SolidCanvas(4, 4, 0, 0, 0));
  EXPECT_FALSE(status);
  EXPECT_NE(status.message().find(":398"), std::string::npos) << status.message();
}

}  // namespace
}  // namespace vendaro
