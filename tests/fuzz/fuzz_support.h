#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// What the fuzz targets share: inputs as text, and a private folder for the
// parsers that read files (removed when the process ends).
namespace vendaro::fuzz {

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A folder of this process's own, made on first use.
const std::string& Folder();

// Writes the bytes to `name` in Folder() and returns its path.
std::string WriteFile(const std::string& name, std::string_view bytes);

// Aborts with the message, so that libFuzzer and the replay report the
// input that broke a property.
[[noreturn]] void Fail(const char* what);

}  // namespace vendaro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
