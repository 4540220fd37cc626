// varnlink: the Varnlink desktop window.
//   varnlink [FOLDER | SHORTCUT]   opens the window, on FOLDER or on the
//                                  shortcut's folder with it selected

#include <QApplication>
#include <QString>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/qt/window_app.h"
#include "audit/audit_options.h"
#include "checks/target_check.h"
#include "varnlink/version.h"

namespace {

// The first line names the program as a manual page's NAME line does.
constexpr const char* kHelp =
    "varnlink - audit Windows shell shortcuts (.lnk files) in a window\n"
    "\n"
    "Usage: varnlink [--codepage auto|N] [--map X:=DIR]... [FOLDER | SHORTCUT]\n"
    "  or:  varnlink --help | --version\n"
    "\n"
    "Opens the Varnlink window on FOLDER, or on the current folder; given a\n"
    "SHORTCUT (a .lnk file or a jump list), on its folder with it selected. Choose a\n"
    "drive and a folder, select some of its shortcuts or none (then every shortcut\n"
    "of the folder, and of its sub-folders with \"Search Sub Directories\" ticked),\n"
    "choose which targets to report and which warnings to give, and press Audit:\n"
    "the report shows one entry per shortcut with its target, arguments, start-in\n"
    "folder, icon, hot key, run mode, attributes and times. Print sends the report\n"
    "to the default printer, Copy puts it on the clipboard.\n"
    "\n"
    "The audit only reads the shortcuts; only Quarantine... and Restore... move\n"
    "files. After an audit with \"Warn of Missing Targets\", Quarantine... asks for a\n"
    "folder, says how many shortcuts will move there and moves, once you press OK,\n"
    "only those whose target the file system says is not there (never one whose\n"
    "target was found or could not be checked, never one inside a jump list),\n"
    "writing each to the folder's manifest first; the report marks each one moved.\n"
    "It needs --map C:=DIR. Restore... asks for a quarantine folder and puts every\n"
    "shortcut in it back, byte for byte with its times, never over another file.\n"
    "\n"
    "Options:\n"
    "      --codepage auto|N\n"
    "                 read the shortcuts' ANSI text in Windows code page N (1250 to\n"
    "                 1258, 874, 932, 936, 949, 950 or 65001); auto, the default:\n"
    "                 each shortcut's own, else 1252\n"
    "      --map X:=DIR\n"
    "                 look for drive X: of the targets in folder DIR (repeatable);\n"
    "                 without one for C:, C: is the Windows disk holding the folder\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "  Qt's own options are passed to Qt, with one dash or two, a value after a\n"
    "  space or an '=': -platform NAME, -display DISPLAY, -geometry WxH+X+Y,\n"
    "  -style STYLE, -stylesheet FILE, -reverse, and the others Qt documents.\n"
    "\n"
    "Environment:\n"
    "  DISPLAY, WAYLAND_DISPLAY  the display to open the window on\n"
    "  QT_SCALE_FACTOR           scale the window and its text (2 for 200 %)\n"
    "\n"
    "Exit status:\n"
    "  0  the window was closed\n"
    "  1  no window could be opened (no display)\n"
    "  2  bad usage (an unknown option, more than one FOLDER or SHORTCUT)\n"
    "\n"
    "varnlink-cli(1) runs the same audit without a window. The manual page\n"
    "varnlink(1) describes the window in full: man varnlink\n";

constexpr const char* kNoDisplay =
    "varnlink: cannot open a window: no display (set DISPLAY, or use varnlink-cli for the same "
    "audit without a window)\n";

// While QApplication connects to the display, Qt's messages are held back: when
// it cannot connect it ends with a fatal message, which becomes the one line
// above and exit status 1 instead of an abort; when it connects, the held
// messages go out as usual.
class DisplayConnection {
 public:
  DisplayConnection() { previous_ = qInstallMessageHandler(&Hold); }
  ~DisplayConnection() {
    qInstallMessageHandler(previous_);
    for (const Held& message : held_) {
      qt_message_output(message.type,
                        QMessageLogContext(nullptr, 0, nullptr, message.category.c_str()),
                        message.text);
    }
    held_.clear();
  }
  DisplayConnection(const DisplayConnection&) = delete;
  DisplayConnection& operator=(const DisplayConnection&) = delete;

 private:
  static void Hold(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
      std::fputs(kNoDisplay, stderr);
      std::fflush(stderr);
      std::_Exit(1);
    }
    held_.push_back({type, context.category != nullptr ? context.category : "default", text});
  }

  struct Held {
    QtMsgType type;
    std::string category;
    QString text;
  };
  static inline QtMessageHandler previous_ = nullptr;
  static inline std::vector<Held> held_;
};

bool IsOption(const char* argument, const char* option) {
  return std::strcmp(argument, option) == 0;
}

// Qt's own options, as QApplication and its platforms (X11's among them) take
// them; Qt also reads them with two dashes.
// clang-format off
constexpr std::string_view kQtOptionsWithValue[] = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry",
    "qwindowicon", "icon", "qwindowtitle", "title", "session", "style", "stylesheet", "display",
    "name", "visual"};
constexpr std::string_view kQtFlags[] = {
    "reverse", "testability", "widgetcount", "nograb", "dograb", "qmljsdebugger"};
// clang-format on

bool IsOneOf(std::string_view name, std::span<const std::string_view> names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

int BadUsage(const std::string& what) {
  std::fputs(("varnlink: " + what + "\nTry 'varnlink --help' for more information.\n").c_str(),
             stderr);
  return 2;
}

// The command line read before Qt starts, so that a mistake needs no display:
// the FOLDER or SHORTCUT, and Qt's own options, each "-name value" pair kept
// together, for QApplication.
struct CommandLine {
  std::vector<std::string> paths;
  std::vector<std::string> qt_arguments;
  std::optional<std::string> unknown_option;  // the first, as given
  varnlink::audit::AuditOptions audit;        // --codepage
  varnlink::checks::TargetCheckSettings target_check;  // --map
  std::string error;                          // a bad option value, said in full
};

CommandLine Read(int argc, char** argv) {
  CommandLine line;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument.size() < 2 || argument.front() != '-') {
      line.paths.emplace_back(argument);
      continue;
    }
    std::string_view name = argument.substr(argument.starts_with("--") ? 2 : 1);
    std::optional<std::string_view> value;
    if (const std::size_t equals = name.find('='); equals != std::string_view::npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    if (name == "codepage") {
      if (!value && i + 1 < argc) value = argv[++i];
      if (!value) {
        line.error = "--codepage needs a value";
        break;
      }
      line.error = varnlink::audit::ReadCodePageOption(std::string(*value), line.audit);
      if (!line.error.empty()) break;
    } else if (name == "map") {
      if (!value && i + 1 < argc) value = argv[++i];
      // "X:=FOLDER", as the command line's --map.
      if (!value || value->size() < 4 || !std::isalpha(static_cast<unsigned char>((*value)[0])) ||
          value->substr(1, 2) != ":=") {
        line.error = "--map needs DRIVE:=FOLDER, such as C:=/mnt/windows, not \"" +
                     std::string(value.value_or("")) + "\"";
        break;
      }
      line.target_check.drives.emplace_back(
          static_cast<char>(std::toupper(static_cast<unsigned char>((*value)[0]))),
          std::string(value->substr(3)));
    } else if (IsOneOf(name, kQtOptionsWithValue)) {
      line.qt_arguments.push_back("-" + std::string(name));
      if (value) {
        line.qt_arguments.emplace_back(*value);
      } else if (i + 1 < argc) {
        line.qt_arguments.emplace_back(argv[++i]);
      }
    } else if (IsOneOf(name, kQtFlags) && (!value || name == "qmljsdebugger")) {
      line.qt_arguments.emplace_back(argument);  // -qmljsdebugger=port:N takes its "="
    } else {
      line.unknown_option = std::string(argument);
      break;
    }
  }
  return line;
}

}  // namespace

int main(int argc, char** argv) {
  // Help and version need no display.
  for (int i = 1; i < argc; ++i) {
    if (IsOption(argv[i], "--help") || IsOption(argv[i], "-h")) {
      std::fputs(kHelp, stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (IsOption(argv[i], "--version")) {
      std::printf("varnlink %s\n", varnlink::kVersion);
      return std::fflush(stdout) == 0 ? 0 : 1;
    }
  }
  CommandLine line = Read(argc, argv);
  if (!line.error.empty()) return BadUsage(line.error);
  if (line.unknown_option) return BadUsage("unknown option " + *line.unknown_option);
  if (const auto warning = varnlink::audit::CodePageWarning(line.audit)) {
    std::fputs(("varnlink: " + *warning + "\n").c_str(), stderr);
  }
  if (line.paths.size() > 1) return BadUsage("bad usage");

  std::vector<char*> qt_argv{argv[0]};
  for (std::string& argument : line.qt_arguments) qt_argv.push_back(argument.data());
  int qt_argc = static_cast<int>(qt_argv.size());
  qt_argv.push_back(nullptr);
  std::optional<QApplication> application;
  {
    const DisplayConnection connection;
    application.emplace(qt_argc, qt_argv.data());
  }
  QApplication::setApplicationName(QStringLiteral("Varnlink"));
  QApplication::setApplicationVersion(QString::fromLatin1(varnlink::kVersion));

  std::optional<std::string> path;
  if (!line.paths.empty()) path = line.paths.front();
  varnlink::app::qt::WindowApp app;
  app.Model().code_page = line.audit.code_page;
  app.Model().target_check = line.target_check;
  app.Start(path);
  return QApplication::exec();
}
