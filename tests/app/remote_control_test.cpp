#include "app/remote_control.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <atomic>
#include <thread>

#include "app/change_scheduler.h"
#include "form_fixture.h"

namespace vendaro::testing {
namespace {

class RemoteTest : public FormTest {
 protected:
  void Start() {
    WriteList("default.vdl",
              {Picture("a.png", 4, 4), Picture("b.png", 4, 4), Picture("c.png", 4, 4)});
    WriteIni("");
    form_ = MakeForm(true);
    form_->SetWindowHooks({[this] { ++settingsOpened_; }, {}});
    ASSERT_TRUE(form_->FormCreate());
  }

  // Sends one line as `vendaro WORD` does and handles events until the
  // answer comes (the deadline only keeps a broken build from hanging).
  std::string Send(const std::string& word) {
    QLocalSocket socket;
    socket.connectToServer(QString::fromStdString(RemoteSocketPath(executableName_)));
    socket.write(QByteArray::fromStdString(word) + '\n');
    QDeadlineTimer deadline(30000);
    while (!socket.canReadLine() && !deadline.hasExpired() &&
           socket.state() != QLocalSocket::UnconnectedState) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    std::string answer = socket.readLine().trimmed().toStdString();
    QCoreApplication::processEvents();
    return answer;
  }

  std::unique_ptr<TForm2> form_;
  int settingsOpened_ = 0;
};

TEST_F(RemoteTest, CommandsActAsTheTrayItems) {
  Start();
  struct Row {
    const char* word;
    bool disableFirst;
    const char* answer;   // its start: a refusal gives its reason after it
    std::size_t changes;  // wallpapers set so far, the start's included
    int settingsOpened;
  };
  const Row rows[] = {
      {"next", false, "ok", 2, 0},
      {"previous", false, "ok", 3, 0},
      // A disabled item does nothing, and the caller learns why.
      {"next", true, "refused Trwa zmiana tapety", 3, 0},
      {"settings", false, "ok", 3, 1},
      {"settings", true, "refused Okno ustawień", 3, 1},
      {"wallpaper", false, "unknown", 3, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.word << " disabled=" << row.disableFirst);
    TrayItems& items = form_->session().items();
    items.Nastpnatapeta1.enabled = !row.disableFirst;
    items.Ustawienia1.enabled = !row.disableFirst;
    EXPECT_TRUE(Send(row.word).starts_with(row.answer));
    EXPECT_EQ(desktop_->setPaths.size(), row.changes);
    EXPECT_EQ(settingsOpened_, row.settingsOpened);
    items.Nastpnatapeta1.enabled = true;
    items.Ustawienia1.enabled = true;
  }
}

TEST_F(RemoteTest, QuitClosesTheFormFirst) {
  Start();
  EXPECT_EQ(Send("quit"), "ok");
  EXPECT_FALSE(form_->resident());
  EXPECT_EQ(desktop_->restoreCount, 1);
  EXPECT_FALSE(FileExists(temp_ + "a.png.bmp"));
}

TEST_F(RemoteTest, SocketIsPrivateToTheUser) {
  Start();
  struct stat st {};
  ASSERT_EQ(stat(RemoteSocketPath(executableName_).c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(st.st_mode & 077, 0u);
}

// The client hands the refusal's reason to the user as it came.
TEST(RemoteCommands, RefusalReachesTheCaller) {
  const std::string path = RemoteSocketPath("refusing-copy");
  RemoteServer server([](RemoteCommand command) {
    return command == RemoteCommand::Next ? Status::Error("Trwa zmiana tapety.\nDruga linia")
                                          : Status::Ok();
  });
  ASSERT_TRUE(server.Listen(path));
  struct Row {
    RemoteCommand command;
    bool ok;
    const char* message;
  };
  for (const Row& row : {Row{RemoteCommand::Next, false, "Trwa zmiana tapety. Druga linia"},
                         Row{RemoteCommand::Quit, true, ""}}) {
    Status sent;
    std::atomic<bool> done{false};
    std::thread client([&] {
      sent = SendRemoteCommand(path, row.command, 10000);
      done = true;
    });
    QDeadlineTimer deadline(15000);
    while (!done && !deadline.hasExpired())
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    client.join();
    EXPECT_EQ(sent.ok(), row.ok);
    EXPECT_EQ(sent.message(), row.message);
  }
}

TEST(RemoteCommands, WordsAndAMissingCopy) {
  EXPECT_EQ(ParseRemoteCommand("next"), RemoteCommand::Next);
  EXPECT_EQ(ParseRemoteCommand("quit"), RemoteCommand::Quit);
  EXPECT_EQ(ParseRemoteCommand("Next"), std::nullopt);
  EXPECT_EQ(ParseRemoteCommand(""), std::nullopt);
  Status sent = SendRemoteCommand(RemoteSocketPath("nobody-runs-this"), RemoteCommand::Next, 1000);
  EXPECT_FALSE(sent);
  EXPECT_NE(sent.message().find("nie jest uruchomiony"), std::string::npos);
}

}  // namespace
}  // namespace vendaro::testing
