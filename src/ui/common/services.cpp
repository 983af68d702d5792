#include "ui/common/services.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <utility>

#include "platform/ui.h"
#include "ui/common/plugin_loader.h"
#include "ui/common/qt_text.h"
#include "ui/common/sound_output.h"

namespace tesmiro::gui {
namespace {

// "画像 (*.jpg)" with patterns "*.jpg" "*.jpeg" -> "画像 (*.jpg) (*.jpg *.jpeg)"
// unless the description already lists them.
QString NameFilters(const std::vector<DialogModule::FilterEntry>& filters) {
  QStringList out;
  for (const auto& f : filters) {
    QStringList patterns;
    for (const auto& p : f.patterns) patterns << ToQ(p);
    QString description = ToQ(f.description);
    const QString list = patterns.join(' ');
    out << (description.contains('(') ? description.section('(', 0, 0).trimmed() : description) + " (" + list + ")";
  }
  return out.join(QStringLiteral(";;"));
}

QString StartPath(const std::string& initialDir, const std::string& suggested) {
  if (suggested.empty()) return ToQ(initialDir);
  QFileInfo s(ToQ(suggested));
  if (s.isAbsolute()) return s.filePath();
  return initialDir.empty() ? s.filePath() : ToQ(initialDir) + '/' + s.filePath();
}

// Qt's dialog matches the names typed into its name box against its file
// list key by key, and the lone quote that starts "a.txt" "b.kvg" selects
// the folder itself, which takes the quote out of the box again: Open then
// went into the folder or took one name. Names typed between quotes that
// all name files of the folder are taken as they were typed.
class OpenFilesDialog final : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  QStringList chosen() const { return typed_.isEmpty() ? selectedFiles() : typed_; }

  void accept() override {
    const auto* nameBox = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    const QString text = nameBox ? nameBox->text() : QString();
    if (!text.contains(u'"')) return QFileDialog::accept();
    QStringList paths;
    // The blanks between the quotes part the names.
    for (const QString& name : text.split(u'"')) {
      if (name.trimmed().isEmpty()) continue;
      const QFileInfo file(directory(), name);
      // Anything else (a folder, a missing file) gets Qt's own answer.
      if (!file.isFile()) return QFileDialog::accept();
      paths << file.absoluteFilePath();
    }
    if (paths.isEmpty()) return QFileDialog::accept();
    typed_ = paths;
    QDialog::accept();
  }

 private:
  QStringList typed_;
};

class QtFileDialogs final : public DialogModule::FileDialogService {
 public:
  std::optional<std::vector<std::string>> openFile(const std::string& title,
                                                   const std::vector<DialogModule::FilterEntry>& filters,
                                                   const std::string& initialDir, const std::string& suggested,
                                                   bool multiSelect) override {
    QWidget* parent = QApplication::activeWindow();
    const QString caption = ToQ(title);
    const QString start = StartPath(initialDir, suggested);
    std::vector<std::string> chosen;
    if (multiSelect) {
      OpenFilesDialog dialog(parent, caption, start, NameFilters(filters));
      dialog.setFileMode(QFileDialog::ExistingFiles);
      if (dialog.exec() == QDialog::Accepted) {
        for (const QString& f : dialog.chosen()) chosen.push_back(FromQ(f));
      }
    } else {
      const QString f = QFileDialog::getOpenFileName(parent, caption, start, NameFilters(filters));
      if (!f.isEmpty()) chosen.push_back(FromQ(f));
    }
    if (chosen.empty()) return std::nullopt;
    return chosen;
  }
  std::optional<std::string> saveFile(const std::string& title, const std::vector<DialogModule::FilterEntry>& filters,
                                      const std::string& initialDir, const std::string& suggested) override {
    const QString f = QFileDialog::getSaveFileName(QApplication::activeWindow(), ToQ(title),
                                                   StartPath(initialDir, suggested), NameFilters(filters));
    if (f.isEmpty()) return std::nullopt;
    return FromQ(f);
  }
};

class QtPopupMenus final : public PopupMenus {
 public:
  QAction* exec(QMenu* menu, const QPoint& globalPos, QAction* defaultAction) override {
    menu->setDefaultAction(defaultAction);
    return menu->exec(globalPos);
  }
};

class QtWindowPlacement final : public WindowPlacement {
 public:
  void setKeepOnTop(QWidget* window, bool onTop) override {
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    const bool visible = window->isVisible();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    // Changing a window flag hides the window.
    if (visible) window->show();
  }
  QRect workArea(const QPoint& globalPos) const override {
    QScreen* s = QGuiApplication::screenAt(globalPos);
    if (!s) s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
  }
  QPoint cursorPos() const override { return QCursor::pos(); }
};

class QtClock final : public Clock {
 public:
  QDateTime now() const override { return QDateTime::currentDateTime(); }
};

// The desktop's opener runs as a process of ours where there is one, so
// that its exit status is seen: QDesktopServices only reports that it
// started. On a desktop without its own opener it waits for the program it
// started, so a failure may come late; one still waiting when the program
// ends is stopped, and what it started stays open.
//
// An opener that finds no program gives up within a second or two, even on
// a busy machine; one still running after kTakenAfterMs has started the
// program and waits for it, and the file is taken.
constexpr int kTakenAfterMs = 5000;

bool OpenOnDesktop(const QString& path, const QString& section, const Opener::Failed& failedLater,
                   const Opener::Opened& openedLater) {
  // Absolute, so that no name is taken for one of its options.
  const QString file = QFileInfo(path).absoluteFilePath();
  QUrl url = QUrl::fromLocalFile(file);
  if (!section.isEmpty()) url.setFragment(section);
  const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (xdgOpen.isEmpty()) {
    if (!QDesktopServices::openUrl(url)) return false;
    // Nothing more is heard of it.
    if (openedLater) QTimer::singleShot(0, QCoreApplication::instance(), openedLater);
    return true;
  }
  auto* opener = new QProcess(QCoreApplication::instance());
  opener->setStandardInputFile(QProcess::nullDevice());
  opener->setProcessChannelMode(QProcess::ForwardedChannels);
  auto opened = std::make_shared<Opener::Opened>(openedLater);
  const auto taken = [opened] {
    if (const Opener::Opened tell = std::exchange(*opened, nullptr)) tell();
  };
  QObject::connect(opener, &QProcess::finished, opener,
                   [opener, failedLater, opened, taken](int code, QProcess::ExitStatus status) {
                     opener->deleteLater();
                     // Stopped as the program ends, nobody is left to tell.
                     if (QCoreApplication::closingDown()) return;
                     if (status == QProcess::NormalExit && code == 0) return taken();
                     *opened = nullptr;
                     if (failedLater) failedLater();
                   });
  // A section goes as the page's address, which a browser scrolls to.
  opener->start(xdgOpen, {section.isEmpty() ? file : url.toString(QUrl::FullyEncoded)});
  if (!opener->waitForStarted()) {
    delete opener;
    return false;
  }
  if (openedLater) QTimer::singleShot(kTakenAfterMs, opener, taken);
  return true;
}

class QtOpener final : public Opener {
 public:
  bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
  bool openFile(const QString& path, Failed failedLater) override { return OpenOnDesktop(path, {}, failedLater, {}); }
  bool openPage(const QString& path, const QString& section, Failed failedLater, Opened openedLater) override {
    return OpenOnDesktop(path, section, failedLater, openedLater);
  }
  bool showInFolder(const QString& path, Failed failedLater) override {
    const QString uri = QUrl::fromLocalFile(path).toString();
    // The freedesktop file-manager interface selects the file; without one
    // the folder opens.
    if (QProcess::execute(QStringLiteral("dbus-send"),
                          {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                           QStringLiteral("--dest=org.freedesktop.FileManager1"), QStringLiteral("--type=method_call"),
                           QStringLiteral("/org/freedesktop/FileManager1"),
                           QStringLiteral("org.freedesktop.FileManager1.ShowItems"), "array:string:" + uri,
                           QStringLiteral("string:")}) == 0)
      return true;
    return OpenOnDesktop(QFileInfo(path).absolutePath(), {}, failedLater, {});
  }
  bool runProgram(const QString& program, const QStringList& arguments) override {
    return QProcess::startDetached(program, arguments);
  }
};

class QtClipboard final : public Clipboard {
 public:
  QString text() const override { return QGuiApplication::clipboard()->text(); }
  void setText(const QString& text) override { QGuiApplication::clipboard()->setText(text); }
};

// What the user is told when the sound library is not there or will not
// load; the library's own words (a missing dependency's name) are for the log.
QString SoundLibraryFailure(const Plugin<SoundPlayer>& plugin) {
  QString why;
  switch (plugin.failure) {
    case PluginFailure::None:
      return {};
    case PluginFailure::Missing:
      why = QStringLiteral("が見つかりません。");
      break;
    case PluginFailure::Unloadable:
      why = QStringLiteral("を読み込めません（壊れているか、それが使うライブラリが入っていません）。");
      break;
    case PluginFailure::NotThePlugin:
      why = QStringLiteral("はサウンド再生用のライブラリではありません。");
      break;
  }
  return QStringLiteral("サウンド再生用のファイル [%1] ").arg(plugin.path) + why +
         QStringLiteral("Tesmiro をインストールし直してください。");
}

// Plays through the sound plugin, loaded on the first play; where it
// cannot be loaded no sound plays, and each play looks for it again.
class QtSoundPlayer final : public SoundPlayer {
 public:
  bool play(const QString& path, Failed failedLater) override {
    if (!plugin_) {
      const Plugin<SoundPlayer> loaded = LoadPluginAs<SoundPlayer>(
          PluginCandidates("TESMIRO_SOUND_LIBRARY", QStringLiteral(TESMIRO_SOUND_FILE)),
          QStringLiteral("the sound library"));
      if (!loaded.object) {
        qWarning("No sound: %s", qUtf8Printable(loaded.error));
        loadFailure_ = SoundLibraryFailure(loaded);
        return false;
      }
      plugin_ = loaded.object;
    }
    return plugin_->play(path, std::move(failedLater));
  }
  void stop() override {
    if (plugin_) plugin_->stop();
  }
  bool isPlaying() const override { return plugin_ && plugin_->isPlaying(); }
  QString whyNoSound() const override { return plugin_ ? plugin_->whyNoSound() : loadFailure_; }

 private:
  SoundPlayer* plugin_ = nullptr;
  QString loadFailure_;
};

DesktopServices& Defaults() {
  static QtFileDialogs dialogs;
  static QtPopupMenus popups;
  static QtWindowPlacement placement;
  static QtClock clock;
  static QtOpener opener;
  static QtClipboard clipboard;
  static QtSoundPlayer sound;
  static DesktopServices d{&dialogs, &popups, &placement, &clock, &opener, &clipboard, &sound};
  return d;
}

DesktopServices& Live() {
  static DesktopServices live = Defaults();
  return live;
}

// `open` starts the opening with the failure it is to report later.
bool OpenOrTell(const std::string& what, const std::string& path,
                const std::function<bool(const QString&, const Opener::Failed&)>& open) {
  const QString file = ToQ(path);
  const Opener::Failed tell = [what, path] { TellNotOpened(what, path); };
  if (QFileInfo::exists(file) && open(file, tell)) return true;
  TellNotOpened(what, path);
  return false;
}

template <class T>
void Take(T*& into, T* from) {
  if (from) into = from;
}

}  // namespace

const DesktopServices& Desktop() { return Live(); }

bool OpenFileOrTell(const std::string& what, const std::string& path) {
  return OpenOrTell(what, path, [](const QString& file, const Opener::Failed& tell) {
    return Desktop().opener->openFile(file, tell);
  });
}

bool ShowInFolderOrTell(const std::string& what, const std::string& path) {
  return OpenOrTell(what, path, [](const QString& file, const Opener::Failed& tell) {
    return Desktop().opener->showInFolder(file, tell);
  });
}

bool OpenPageOrTell(const std::string& what, const std::string& path, const std::string& section,
                    Opener::Opened opened) {
  return OpenOrTell(what, path, [&section, &opened](const QString& file, const Opener::Failed& tell) {
    return Desktop().opener->openPage(file, ToQ(section), tell, std::move(opened));
  });
}

void TellNotOpened(const std::string& what, const std::string& path, const std::string& reason) {
  ui::Current().messages->message("エラー", what + "を開けませんでした。\r\n" + path + (reason.empty() ? "" : "\r\n" + reason),
                                  ui::Icon::Critical);
}

DesktopServices QtDesktopServices() { return Defaults(); }

ScopedDesktop::ScopedDesktop(const DesktopServices& s)
    : previous_(Live()), previousCoreDialogs_(DialogModule::CurrentFileDialogs()) {
  DesktopServices& live = Live();
  Take(live.fileDialogs, s.fileDialogs);
  Take(live.popups, s.popups);
  Take(live.placement, s.placement);
  Take(live.clock, s.clock);
  Take(live.opener, s.opener);
  Take(live.clipboard, s.clipboard);
  Take(live.sound, s.sound);
  if (s.fileDialogs) DialogModule::InstallFileDialogs(s.fileDialogs);
}

ScopedDesktop::~ScopedDesktop() {
  Live() = previous_;
  DialogModule::InstallFileDialogs(previousCoreDialogs_);
}

}  // namespace tesmiro::gui
