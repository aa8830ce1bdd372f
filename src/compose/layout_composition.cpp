#include "compose/layout_composition.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <system_error>
#include <thread>

#include "compose/renderer.h"
#include "model/bmp_writer.h"
#include "system/files.h"
#include "system/old_files.h"

namespace vendaro {
namespace {

bool SameSize(ScreenSize a, ScreenSize b) {
  return a.width == b.width && a.height == b.height;
}

// One canvas to draw: a picture at one monitor size.
struct SizeJob {
  const WallpaperEntry* entry = nullptr;
  ScreenSize size;
  RenderResult result;
  std::string failure;  // an exception's text
};

void RenderJob(SizeJob& job, const Options& options, const SizeRenderer& render) {
  try {
    job.result = render ? render(*job.entry, options, job.size)
                        : RenderEntry(*job.entry, options, job.size, nullptr);
  } catch (const std::exception& error) {
    job.failure = error.what();
  }
}

void RenderJobs(std::vector<SizeJob>& jobs, const Options& options, unsigned workers,
                const SizeRenderer& render) {
  if (workers == 0) workers = std::max(1u, std::thread::hardware_concurrency());
  workers = std::min<unsigned>(workers, static_cast<unsigned>(jobs.size()));
  if (workers <= 1) {
    for (SizeJob& job : jobs) RenderJob(job, options, render);
    return;
  }
  // The picture library sets an environment variable while it starts: start
  // it here, before the workers, if a picture needs it.
  const bool library = std::any_of(jobs.begin(), jobs.end(), [](const SizeJob& job) {
    return NeedsPictureLibrary(job.entry->path);
  });
  if (!render && library) (void)StartPictureLibrary();  // a failure shows per size
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    while (true) {
      const std::size_t i = next.fetch_add(1);
      if (i >= jobs.size()) return;
      RenderJob(jobs[i], options, render);
    }
  };
  std::vector<std::thread> threads;
  threads.reserve(workers - 1);
  try {
    for (unsigned t = 1; t < workers; ++t) threads.emplace_back(work);
  } catch (const std::system_error&) {
    // No more threads to be had (a process limit): this one does the rest.
  }
  work();
  for (std::thread& thread : threads) thread.join();
}

// `path`, or, where another picture of this change took that name (two
// pictures of one name from different folders), the name with a number.
std::string UnusedPath(const std::string& path, const std::vector<std::string>& taken) {
  const auto free = [&taken](const std::string& candidate) {
    return std::find(taken.begin(), taken.end(), candidate) == taken.end();
  };
  if (free(path)) return path;
  const std::string stem = path.substr(0, path.size() - 4);  // without ".bmp"
  for (std::size_t n = 2;; ++n) {
    std::string candidate = stem + "." + std::to_string(n) + ".bmp";
    if (free(candidate)) return candidate;
  }
}

// A canvas's file written ahead, renamed to the name the change gives it.
Status MoveInto(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) == 0) return Status::Ok();
  return Status::Error("Cannot create file \"" + to + "\". " + ErrorText(errno));
}

}  // namespace

Wallpapers LayoutComposition::View(const std::vector<std::string>& files) const {
  Wallpapers view;
  view.background = background;
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const std::size_t c = canvasOf[i];
    view.monitors.push_back({monitors[i], &canvases[c], c < files.size() ? files[c] : ""});
  }
  return view;
}

LayoutComposition RenderLayout(const WallpaperEntry& entry, const Options& options,
                               const MonitorLayout& layout, const SystemColorResolver& systemColor,
                               unsigned workers, const SizeRenderer& render) {
  return RenderMonitors({entry}, options, layout, systemColor, workers, render);
}

LayoutComposition RenderMonitors(const std::vector<WallpaperEntry>& entries, const Options& options,
                                 const MonitorLayout& layout,
                                 const SystemColorResolver& systemColor, unsigned workers,
                                 const SizeRenderer& render) {
  LayoutComposition composition;
  CheckedLayout checked = CheckLayout(layout);
  composition.skippedMonitors = std::move(checked.problems);
  composition.monitors = std::move(checked.usable);
  if (composition.monitors.empty()) {
    std::string why = "Żaden monitor nie może dostać tapety.";
    for (const std::string& problem : composition.skippedMonitors) why += " " + problem;
    composition.status = Status::Error(why);
    return composition;
  }

  // The desktop's colour is asked once, here: the workers must not call into
  // the desktop.
  Options resolved = options;
  resolved.FillColor = ResolveFillColor(options.FillColor, systemColor);
  composition.background = resolved.FillColor;

  if (entries.empty()) {
    composition.status = Status::Error("Brak obrazka do złożenia tapety.");
    return composition;
  }
  // Monitors showing one picture at one size share its canvas.
  std::vector<SizeJob> jobs;
  for (std::size_t i = 0; i < composition.monitors.size(); ++i) {
    const WallpaperEntry& entry = entries[i < entries.size() ? i : 0];
    const ScreenSize size = composition.monitors[i].size();
    auto same = std::find_if(jobs.begin(), jobs.end(), [&](const SizeJob& job) {
      return *job.entry == entry && SameSize(job.size, size);
    });
    composition.canvasOf.push_back(static_cast<std::size_t>(same - jobs.begin()));
    if (same == jobs.end()) jobs.push_back({&entry, size, {}, {}});
  }
  RenderJobs(jobs, resolved, workers, render);

  for (SizeJob& job : jobs) {
    if (!job.failure.empty()) {
      composition.status =
          Status::Error("Nie można złożyć tapety " + std::to_string(job.size.width) + "×" +
                        std::to_string(job.size.height) + ": " + job.failure);
      composition.canvases.clear();
      for (const SizeJob& drawn : jobs)
        if (!drawn.result.file.empty()) RemoveFile(drawn.result.file);
      composition.files.clear();
      composition.placements.clear();
      composition.entries.clear();
      return composition;
    }
    if (composition.picture && !job.result.picture) composition.picture = job.result.picture;
    composition.canvases.push_back(std::move(job.result.canvas));
    composition.files.push_back(std::move(job.result.file));
    composition.placements.push_back(job.result.placement);
    composition.entries.push_back(*job.entry);
  }
  return composition;
}

std::string MonitorFilePath(const std::string& tempFolder, const WallpaperEntry& entry,
                            ScreenSize size) {
  return tempFolder + FileNamePart(entry.path) + "." + std::to_string(size.width) + "x" +
         std::to_string(size.height) + ".bmp";
}

LayoutComposeResult ComposeWallpapers(const WallpaperEntry& entry, const Options& options,
                                      const MonitorLayout& layout,
                                      const SystemColorResolver& systemColor,
                                      const std::string& tempFolder, bool everyMonitorFile,
                                      WallpaperFiles& files, const WallpapersSetter& setter) {
  LayoutComposeResult result;
  result.composition = RenderLayout(entry, options, layout, systemColor);
  result.status = result.composition.status;
  if (result.status)
    result.status =
        PutWallpapers(result.composition, entry, tempFolder, everyMonitorFile, files, setter);
  return result;
}

Status PutWallpapers(const LayoutComposition& composition, const WallpaperEntry& entry,
                     const std::string& tempFolder, bool everyMonitorFile, WallpaperFiles& files,
                     const WallpapersSetter& setter) {
  if (!composition.status) return composition.status;
  if (tempFolder.empty()) return Status::Error("Brak prywatnego folderu na plik tapety.");
  Status status;
  WallpaperFiles written;
  std::vector<std::string> paths;
  // A canvas drawn ahead may have its pixels only in its file, which the
  // desktop then reads.
  const bool every =
      everyMonitorFile ||
      std::ranges::any_of(composition.canvases, [](const Canvas& c) { return !c.hasPixels(); });
  for (std::size_t c = 0; c < composition.canvases.size(); ++c) {
    const Canvas& canvas = composition.canvases[c];
    if (c > 0 && !every) break;
    const WallpaperEntry& shown = c < composition.entries.size() ? composition.entries[c] : entry;
    const std::string path =
        UnusedPath(c == 0 ? ComposedFilePath(tempFolder, shown)
                          : MonitorFilePath(tempFolder, shown, {canvas.width, canvas.height}),
                   paths);
    const std::string drawn = c < composition.files.size() ? composition.files[c] : "";
    status = drawn.empty() ? WriteBmp(path, canvas) : MoveInto(drawn, path);
    if (!status) break;
    paths.push_back(path);
  }
  // Files drawn ahead that were not moved into place (those that were are
  // gone under that name).
  for (const std::string& drawn : composition.files)
    if (!drawn.empty()) RemoveFile(drawn);
  const auto current = [&files](const std::string& path) {
    return path == files.primary ||
           std::find(files.others.begin(), files.others.end(), path) != files.others.end();
  };
  if (status)
    status = setter ? setter(composition.View(paths))
                    : Status::Error("Nie znaleziono pulpitu, na którym można ustawić tapetę.");
  if (!status) {
    // The desktop still shows the previous files; only new names go.
    for (const std::string& path : paths)
      if (!current(path)) RemoveFile(path);
    return status;
  }
  written.primary = paths.front();
  written.others.assign(paths.begin() + 1, paths.end());
  // The new wallpaper is in place; a previous file that cannot be removed is
  // only clutter, not a reason to report the change as failed.
  const auto kept = [&paths](const std::string& path) {
    return std::find(paths.begin(), paths.end(), path) != paths.end();
  };
  if (!kept(files.primary)) RemoveOldFile(files.primary);
  for (const std::string& old : files.others)
    if (!kept(old)) RemoveOldFile(old);
  files = std::move(written);
  return status;
}

}  // namespace vendaro
