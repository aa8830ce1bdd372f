#pragma once

#include <functional>
#include <string>

#include "model/canvas.h"
#include "platform/desktop.h"

namespace vendaro::testing {

Canvas SolidCanvas(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b);
// Every pixel different from its neighbours, so a shift or a swapped channel shows.
Canvas PatternCanvas(int width, int height, int seed);

// A stand-in for the composed BMP (the backends that read a file get their
// own copy of the pixels; this file only has to exist).
std::string WriteComposedFile(const std::string& folder, const std::string& name);

// A new folder whose name breaks naive quoting in every layer: quotes, a
// backslash, '$', a backtick, a newline, a leading '-' and a byte that is not
// UTF-8.
std::string AwkwardFolder(const char* prefix);

// Whether the PNG file holds exactly the canvas's pixels.
bool PngShows(const std::string& path, const Canvas& canvas);

// Polls until `done` or about ten seconds pass; for servers that start.
bool WaitUntil(const std::function<bool()>& done);

// Puts the fake desktop programs (tests/platform/fakes) first on PATH.
void UseFakePrograms();

// Runs tests/platform's helper program: it sets a solid wallpaper through the
// given backend and then kills itself with SIGKILL.  True when it got that
// far (the wallpaper was set and the process died unannounced).
bool SetAndGetKilled(DesktopKind kind, const std::string& stateFolder, const std::string& bmp,
                     int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                     std::string* output = nullptr);

// Runs the helper's "recover" command in a new process.
bool RecoverInNewProcess(const std::string& stateFolder, std::string* output = nullptr);

}  // namespace vendaro::testing
