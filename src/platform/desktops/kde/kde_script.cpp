#include "platform/desktops/kde/kde_script.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QString>
#include <cstdio>

namespace vendaro {
namespace {

constexpr const char* kGroup = "d.currentConfigGroup = ['Wallpaper', 'org.kde.image', 'General'];";

// JSON is JavaScript except for raw U+2028/U+2029 in older engines.
std::string EscapeLineSeparators(const QString& json) {
  QString escaped = json;
  escaped.replace(QChar(0x2028), QStringLiteral("\\u2028"))
      .replace(QChar(0x2029), QStringLiteral("\\u2029"));
  return escaped.toStdString();
}

}  // namespace

std::string JsStringLiteral(const std::string& text) {
  const QString decoded = QString::fromUtf8(text.data(), qsizetype(text.size()));
  std::string out = "'";
  for (QChar c : decoded) {
    const char16_t u = c.unicode();
    if (u >= 0x20 && u < 0x7F && u != '\'' && u != '"' && u != '\\') {
      out += static_cast<char>(u);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", unsigned(u));
      out += escape;
    }
  }
  return out + "'";
}

std::string ReadDesktopsScript() {
  return std::string(
             "var saved = [];\n"
             "desktops().forEach(function (d) {\n"
             "  var entry = {id: d.id, plugin: d.wallpaperPlugin};\n"
             "  ") +
         kGroup +
         "\n"
         "  var keys = d.configKeys;\n"
         "  ['Image', 'FillMode', 'Color'].forEach(function (key) {\n"
         "    if (keys.indexOf(key) >= 0) entry[key] = String(d.readConfig(key));\n"
         "  });\n"
         "  saved.push(entry);\n"
         "});\n"
         "print(JSON.stringify(saved));\n";
}

namespace {

// Sets `url` (an expression) on desktop d, leaving a fill mode that shows a
// screen-sized picture exactly as it is.  A missing FillMode means the
// plugin's default, "scaled and cropped"; writing it would add a key the
// user never had.  Only a tiling or centring mode is changed.
std::string SetImageOnDesktop(const std::string& url) {
  return std::string("  d.wallpaperPlugin = 'org.kde.image';\n  ") + kGroup +
         "\n"
         "  d.writeConfig('Image', " +
         url +
         ");\n"
         "  if (d.configKeys.indexOf('FillMode') >= 0 &&\n"
         "      [0, 1, 2].indexOf(Number(d.readConfig('FillMode'))) < 0)\n"
         "    d.writeConfig('FillMode', 2);\n"
         "  d.reloadConfig();\n";
}

// A JSON string, which is a JavaScript string literal too.
std::string JsonString(const std::string& text) {
  const QJsonDocument wrapped(QJsonArray{QString::fromUtf8(text.data(), qsizetype(text.size()))});
  const std::string array =
      EscapeLineSeparators(QString::fromUtf8(wrapped.toJson(QJsonDocument::Compact)));
  return array.substr(1, array.size() - 2);
}

}  // namespace

std::string SetImageScript(const std::string& url) {
  return "var url = " + JsStringLiteral(url) +
         ";\n"
         "var shown = [];\n"
         "desktops().forEach(function (d) {\n" +
         SetImageOnDesktop("url") +
         "  shown.push(String(d.readConfig('Image')));\n"
         "});\n"
         "print(JSON.stringify(shown));\n";
}

std::string ReadScreensScript() {
  return "var screens = [];\n"
         "for (var i = 0; i < screenCount; ++i) {\n"
         "  var g = screenGeometry(i);\n"
         "  screens.push({x: g.x, y: g.y, width: g.width, height: g.height});\n"
         "}\n"
         "print(JSON.stringify(screens));\n";
}

std::string SetScreenImagesScript(const std::vector<std::string>& byScreen,
                                  const std::string& other) {
  std::string urls;
  for (const std::string& url : byScreen) urls += (urls.empty() ? "" : ", ") + JsonString(url);
  return "var urls = [" + urls +
         "];\n"
         "var other = " +
         JsonString(other) +
         ";\n"
         "var shown = [];\n"
         "desktops().forEach(function (d) {\n"
         "  var url = d.screen >= 0 && d.screen < urls.length ? urls[d.screen] : other;\n" +
         SetImageOnDesktop("url") +
         "  shown.push({screen: d.screen, image: String(d.readConfig('Image'))});\n"
         "});\n"
         "print(JSON.stringify(shown));\n";
}

std::string RestoreDesktopsScript(const std::string& savedJson) {
  const QJsonDocument saved = QJsonDocument::fromJson(QByteArray::fromStdString(savedJson));
  const std::string json =
      EscapeLineSeparators(QString::fromUtf8(saved.toJson(QJsonDocument::Compact)));
  // A desktop that came since the first change (a new monitor) shows ours,
  // whose file goes now: it gets the first desktop's wallpaper.
  return "var saved = " + (saved.isArray() ? json : std::string("[]")) +
         ";\n"
         "desktops().forEach(function (d) {\n"
         "  var entry = saved.filter(function (e) { return e.id === d.id; })[0];\n"
         "  if (entry === undefined) {\n"
         "    if (saved.length === 0 || d.wallpaperPlugin !== 'org.kde.image') return;\n"
         "    " +
         kGroup +
         "\n"
         "    if (String(d.readConfig('Image')).indexOf('/vendaro-shown-') < 0) return;\n"
         "    entry = saved[0];\n"
         "  }\n"
         "  d.wallpaperPlugin = entry.plugin;\n"
         "  " +
         kGroup +
         "\n"
         "  ['Image', 'FillMode', 'Color'].forEach(function (key) {\n"
         "    if (entry[key] !== undefined) d.writeConfig(key, entry[key]);\n"
         "  });\n"
         "  d.reloadConfig();\n"
         "});\n";
}

}  // namespace vendaro
