// varnlink: the Varnlink desktop window.
//   varnlink [FOLDER]   opens the window, on FOLDER when given

#include <QApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "app/qt/window_app.h"
#include "varnlink/version.h"

namespace {

// The first line names the program as a manual page's NAME line does.
constexpr const char* kHelp =
    "varnlink - audit Windows shell shortcuts (.lnk files) in a window\n"
    "\n"
    "Usage: varnlink [FOLDER]\n"
    "  or:  varnlink --help | --version\n"
    "\n"
    "Opens the Varnlink window on FOLDER, or on the current folder. Choose a drive\n"
    "and a folder, select some of its shortcuts or none (then every shortcut of the\n"
    "folder, and of its sub-folders with \"Search Sub Directories\" ticked), choose\n"
    "which targets to report and which warnings to give, and press Audit: the report\n"
    "shows one entry per shortcut with its target, arguments, start-in folder, icon,\n"
    "hot key, run mode, attributes and times. Print sends the report to the default\n"
    "printer, Copy puts it on the clipboard. Varnlink only reads the shortcuts it\n"
    "audits; it never changes them.\n"
    "\n"
    "Options:\n"
    "  -h, --help     show this help and exit\n"
    "      --version  show the version and exit\n"
    "  Qt's own options (for example -platform NAME, -display DISPLAY) are taken too.\n"
    "\n"
    "Environment:\n"
    "  DISPLAY, WAYLAND_DISPLAY  the display to open the window on\n"
    "  QT_SCALE_FACTOR           scale the window and its text (2 for 200 %)\n"
    "\n"
    "Exit status:\n"
    "  0  the window was closed\n"
    "  1  no window could be opened (no display)\n"
    "  2  bad usage\n"
    "\n"
    "varnlink-cli(1) runs the same audit without a window.\n";

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

  std::optional<QApplication> application;
  {
    const DisplayConnection connection;
    application.emplace(argc, argv);  // takes Qt's own options (-platform, ...)
  }
  QApplication::setApplicationName(QStringLiteral("Varnlink"));
  QApplication::setApplicationVersion(QString::fromLatin1(varnlink::kVersion));

  const QStringList arguments = QApplication::arguments().mid(1);
  if (arguments.size() > 1 || (arguments.size() == 1 && arguments.front().startsWith('-'))) {
    std::fputs("varnlink: bad usage\nTry 'varnlink --help' for more information.\n", stderr);
    return 2;
  }
  std::optional<std::string> folder;
  if (!arguments.isEmpty()) folder = arguments.front().toStdString();

  varnlink::app::qt::WindowApp app;
  app.Start(folder);
  return QApplication::exec();
}
