#include "app/remote_control.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QLocalSocket>

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
    const char* answer;
    std::size_t changes;  // wallpapers set so far, the start's included
    int settingsOpened;
  };
  const Row rows[] = {
      {"next", false, "ok", 2, 0},
      {"previous", false, "ok", 3, 0},
      {"next", true, "ok", 3, 0},  // a disabled item does nothing
      {"settings", false, "ok", 3, 1},
      {"settings", true, "ok", 3, 1},
      {"wallpaper", false, "unknown", 3, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::Message() << row.word << " disabled=" << row.disableFirst);
    TrayItems& items = form_->session().items();
    items.Nastpnatapeta1.enabled = !row.disableFirst;
    items.Ustawienia1.enabled = !row.disableFirst;
    EXPECT_EQ(Send(row.word), row.answer);
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
