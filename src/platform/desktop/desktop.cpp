#include "platform/desktop/desktop.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>

#include "platform/desktop/desktop_probe.h"
#include "platform/desktop/journaled_desktop.h"
#include "platform/desktop/no_desktop.h"

namespace vendaro {

std::unique_ptr<DesktopBackend> MakeDesktopBackend(const Environment& env,
                                                   const std::string& stateFolder) {
  SystemProbe probe;
  const DesktopChoice choice = ConfirmDesktop(env, probe);
  if (choice.kind == DesktopKind::Unknown) return std::make_unique<NoDesktop>(choice.problem);
  auto backend = MakeDesktopBackendOf(choice.kind, env, stateFolder);
  backend->SetNotice(choice.problem);
  return backend;
}

namespace {

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Files that only we write in the private folder: the shown files, the
// composed bitmaps (the picture's name and ".bmp") and their half-written
// temporary copies.
bool IsOurLeftover(const std::string& name) {
  return IsShownFileName(name) || EndsWith(name, ".bmp") || name.find(".bmp.") != std::string::npos;
}

// What earlier runs left behind: a run killed before it could remove its
// composed bitmap, shown files a journal no longer names.  Files a journal
// that could not be given back still lists stay for it.
void RemoveLeftovers(const std::string& stateFolder, const std::optional<RestoreJournal>& kept) {
  const std::string folder =
      stateFolder.empty() || stateFolder.back() == '/' ? stateFolder : stateFolder + "/";
  std::vector<std::string> keep;
  for (const char* key : {kShownFileKey, kEarlierFileKey}) {
    if (kept) std::ranges::copy(kept->All(key), std::back_inserter(keep));
  }
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> doomed;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsOurLeftover(name)) continue;
    if (std::find(keep.begin(), keep.end(), folder + name) == keep.end())
      doomed.push_back(folder + name);
  }
  closedir(dir);
  for (const std::string& path : doomed) RemoveOwnFile(path);
}

}  // namespace

Status RecoverFromJournal(const std::string& stateFolder) {
  // Not under a one-off change that is writing the journal right now.
  const JournalLock lock(stateFolder, kJournalLockWaitMs);
  const Result<std::optional<RestoreJournal>> read = ReadJournal(stateFolder);
  if (!read || !*read) {
    // A journal that cannot be understood can never be used; keeping it would
    // only block the journals of later runs.
    if (!read) (void)RemoveJournal(stateFolder);
    RemoveLeftovers(stateFolder, std::nullopt);
    return read.status();
  }
  const std::optional<RestoreJournal>& journal = *read;
  auto backend = MakeJournaledDesktop(journal->kind, CurrentEnvironment(), stateFolder);
  if (backend) {
    WaitBudget budget;
    if (Status status = backend->PutBack(*journal, budget); !status) {
      RemoveLeftovers(stateFolder, journal);
      return Status::Error(std::string("Pulpit ") + DesktopTitle(journal->kind) +
                           ": nie można przywrócić tapety użytkownika: " + status.message());
    }
  }
  RemoveJournaledFiles(*journal);
  RemoveLeftovers(stateFolder, std::nullopt);
  return RemoveJournal(stateFolder);
}

}  // namespace vendaro
