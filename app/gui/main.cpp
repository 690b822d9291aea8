// nemora: the calculator window.
#include <QApplication>
#include <QCommandLineParser>
#include <QDate>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "base/errors.h"
#include "app/gui/frmMain.h"
#include "app/gui/frmMap.h"
#include "app/gui/qt_message_sink.h"
#include "app/session.h"

namespace {

bool displayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && *platform != '\0') return true;
  auto set = [](const char* name) {
    const char* v = std::getenv(name);
    return v != nullptr && *v != '\0';
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
  // --help and --version only print: they need no display.
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    // Help, version and pictures need no screen: without a display they are
    // drawn offscreen.
    const bool picture = arg == "--screenshot" || arg.starts_with("--screenshot=") || arg == "--map-screenshot" ||
                         arg.starts_with("--map-screenshot=");
    if ((arg == "-h" || arg == "-?" || arg == "--help" || arg == "--help-all" || arg == "-v" || arg == "--version" ||
         picture) &&
        !displayAvailable())
      qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  if (!displayAvailable()) {
    std::fputs(
        "nemora: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open.\n"
        "Use the command-line front end instead, for example:\n"
        "  build/nemora-cli --help\n",
        stderr);
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Nemora");
  QApplication::setApplicationName("Nemora");
  QApplication::setApplicationVersion("3.1");

  QCommandLineParser parser;
  parser.setApplicationDescription("Nemora 3.1: lunar crescent visibility, calendars and time scales");
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption screenshot("screenshot", "Render the main window into a PNG file and exit.", "FILE");
  QCommandLineOption mapScreenshot(
      "map-screenshot",
      "With --body Moon --parameter \"Visibility map\": render the map window into a PNG file once its map is "
      "done, and exit.",
      "FILE");
  QCommandLineOption dataDir("data-dir", "Folder of the shipped data files.", "DIR");
  QCommandLineOption language("language", "Language of the results: English or Hebrew.", "LANGUAGE");
  QCommandLineOption convert("convert", "Open in Convert Date mode.");
  QCommandLineOption date("date", "Open on noon of this local date (YYYY-MM-DD) instead of now.", "DATE");
  QCommandLineOption body("body", "Open on this body's report (with --parameter).", "BODY");
  QCommandLineOption parameter("parameter", "Open on this parameter of the body's report.", "PARAMETER");
  parser.addOption(convert);
  parser.addOption(date);
  parser.addOption(body);
  parser.addOption(parameter);
  parser.addOption(screenshot);
  parser.addOption(mapScreenshot);
  parser.addOption(dataDir);
  parser.addOption(language);
  parser.process(app);

  // A screenshot run is unattended: its messages go to standard error
  // instead of waiting in message boxes.
  nemora::QtMessageSink windowSink;
  nemora::StderrMessageSink unattendedSink;
  const bool unattended = parser.isSet(screenshot) || parser.isSet(mapScreenshot);
  nemora::MessageSink& sink = unattended ? static_cast<nemora::MessageSink&>(unattendedSink)
                                         : static_cast<nemora::MessageSink&>(windowSink);
  try {
    nemora::Session session(sink);
    if (parser.isSet(dataDir)) session.dataDir = parser.value(dataDir).toStdString();
    if (parser.value(language) == "Hebrew") session.intLanguage = 1;
    nemora::frmMain window(session);
    windowSink.setParent(&window);
    // "Now" is an instant: the clock in UT, shown in the place's local time.
    if (parser.isSet(date)) {
      // Serial days since 30 December 1899, at noon on the place's clock.
      QDate day = QDate::fromString(parser.value(date), Qt::ISODate);
      if (!day.isValid()) {
        std::fprintf(stderr, "nemora: --date wants a date as YYYY-MM-DD, not %s\n", qPrintable(parser.value(date)));
        return 2;
      }
      window.startUp(static_cast<double>(QDate(1899, 12, 30).daysTo(day)) + 0.5);
    } else {
      window.startUp(nemora::systemClockSerialUT(), true);
    }
    if (parser.isSet(convert)) window.chooseConvertMode();
    if ((parser.isSet(body) || parser.isSet(parameter)) &&
        !window.chooseReport(parser.value(body), parser.value(parameter))) {
      std::fprintf(stderr, "nemora: no report \"%s\" for the body \"%s\"\n", qPrintable(parser.value(parameter)),
                   qPrintable(parser.value(body)));
      return 2;
    }
    // A screenshot keeps the default size; a window remembers its own.
    if (!unattended) window.rememberGeometry();
    window.show();
    if (parser.isSet(mapScreenshot)) {
      nemora::frmMap* map = window.mapWindow();
      if (map->running()) {
        QEventLoop wait;
        QObject::connect(map, &nemora::frmMap::finished, &wait, &QEventLoop::quit);
        wait.exec();
      }
      QApplication::processEvents();
      const QString file = parser.value(mapScreenshot);
      bool saved = map->isVisible() && map->grab().save(file, "PNG");
      if (!saved) std::fprintf(stderr, "nemora: no map window to render into %s\n", qPrintable(file));
      return saved ? 0 : 1;
    }
    if (parser.isSet(screenshot)) {
      QApplication::processEvents();
      bool saved = window.saveScreenshot(parser.value(screenshot));
      if (!saved) std::fprintf(stderr, "nemora: cannot write %s\n", qPrintable(parser.value(screenshot)));
      return saved ? 0 : 1;
    }
    return QApplication::exec();
  } catch (const nemora::ProgramEnd& end) {
    return end.status;
  }
}
