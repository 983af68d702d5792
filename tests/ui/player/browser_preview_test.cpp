// The browser preview: the page is served with the web player put in, with
// the files it needs and no others, to the one browser it was handed to.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <memory>

#include "project/model.h"
#include "support/checkers.h"
#include "support/main_gui_fixture.h"
#include "support/temp_dir.h"
#include "support/user_text.h"
#include "support/wait_and_files.h"
#include "test_movies.h"
#include "ui/common/services.h"
#include "ui/player/loopback_server.h"
#include "ui/player/player_routes.h"
#include "ui/player/preview_files.h"
#include "ui/player/ruffle_flash_view.h"
#include "ui/player/web_engine_loader.h"
#include "ui/player/web_page.h"

namespace tesmiro::testing {
namespace {

using player::HttpRequest;
using player::HttpResponse;
using player::LoopbackServer;

QString Q(const std::filesystem::path& p) { return QString::fromStdString(p.string()); }

void Write(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

QByteArray ReadAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A folder as the preview leaves it beside a project: the page, its movie,
// and much that no preview needs.
struct PreviewFolder {
  PreviewFolder() {
    Write(dir / "_preview.html", "<html><body><object><param name=\"movie\" value=\"_preview.swf\" />"
                                 "<embed src='_preview.swf'></object><img src=pics/a%20b.png>"
                                 "<a href=\"more.html?x=1\">more</a><a href=\"http://example.com/x.html\">web</a>");
    Write(dir / "more.html", "<embed src=\"clips/more.swf\">");
    TestMovie m;
    m.frames = {"loadMovie(\"clips/b.swf\", 1); loadVariables(\"data\\\\vars.txt\", \"_root\");"
                "loadMovie(\"../outside.txt\", 2); loadMovie(\"pics/\" + n + \".png\", 3);"};
    std::string error;
    EXPECT_TRUE(WriteTestMovie(m, dir / "_preview.swf", &error)) << error;
    for (const char* name : {"clips/b.swf", "clips/more.swf", "data/vars.txt", "pics/a b.png", "pics/unnamed.png",
                             "project.tsm", ".../deep.txt"})
      Write(dir / name, name);
  }
  QString page() const { return Q(dir / "_preview.html"); }
  TempDir dir;
};

TEST(BrowserPreviewPage, ThePlayerComesBeforeEverythingThePageLoads) {
  const QByteArray scripts =
      "<script src=\"../browser-config.js\"></script><script src=\"../ruffle/ruffle.js\"></script>";
  EXPECT_EQ(player::InjectPlayer("<HTML lang=ja><Head><title>t</title></head><body></body></html>"),
            "<HTML lang=ja><Head>" + scripts + "<title>t</title></head><body></body></html>");
  EXPECT_EQ(player::InjectPlayer("<html><body><embed src=\"m.swf\"></body></html>"),
            "<html>" + scripts + "<body><embed src=\"m.swf\"></body></html>");
  EXPECT_EQ(player::InjectPlayer("<embed src=\"m.swf\">"), scripts + "<embed src=\"m.swf\">");
}

TEST(BrowserPreviewPage, OnlyTheFilesThePagesAndMoviesNameAreServed) {
  PreviewFolder folder;
  const QSet<QString> named{"_preview.html", "_preview.swf", "pics/a b.png", "more.html",
                            "clips/more.swf", "clips/b.swf", "data/vars.txt"};
  EXPECT_EQ(player::PreviewPageFiles(folder.page()), named);
  // A compressed movie is looked into as well.
  const QByteArray plain = ReadAll(Q(folder.dir / "_preview.swf"));
  const QByteArray compressed = "CWS" + plain.mid(3, 5) + qCompress(plain.mid(8)).mid(4);
  EXPECT_TRUE(player::MovieFileNames(compressed).contains("clips/b.swf"));
}

// One name a line, in order, for a difference that can be read.
std::string Listed(const QSet<QString>& names) {
  QStringList list(names.begin(), names.end());
  list.sort();
  return list.join(QLatin1Char('\n')).toStdString();
}

// Actions and a movie of one frame that runs them, byte by byte, as
// another tool would write them.
struct RawActions {
  RawActions& op(uint8_t code) {
    bytes += static_cast<char>(code);
    return *this;
  }
  RawActions& record(uint8_t code, const std::string& payload) {
    op(code);
    bytes += {static_cast<char>(payload.size() & 0xFF), static_cast<char>(payload.size() >> 8)};
    bytes += payload;
    return *this;
  }
  RawActions& push(std::initializer_list<std::string> strings) {
    std::string items;
    for (const std::string& s : strings) items += '\0' + s + '\0';
    return record(0x96, items);
  }
  std::string bytes;
};

void WriteRawMovie(const std::filesystem::path& path, const std::string& actions) {
  const auto u32 = [](size_t v) {
    return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                       static_cast<char>(v >> 24)};
  };
  // An empty stage, 12 frames a second, one frame; DoAction, ShowFrame, End.
  const std::string tags = std::string("\x3F\x03", 2) + u32(actions.size() + 1) + actions + '\0' +
                           std::string("\x40\x00\x00\x00", 4);
  const std::string head = std::string("\x00\x00\x0C\x01\x00", 5);
  std::ofstream(path, std::ios::binary) << "FWS\x06" << u32(8 + head.size() + tags.size()) << head << tags;
}

TEST(BrowserPreviewPage, ANameKeptInAVariableIsServedWhateverItsExtension) {
  TempDir dir;
  TestMovie m;
  m.frames = {"function fetch(name) { loadVariables(name, \"_root\"); }"
              "fetch(\"style.css\"); fetch(\"data.json\"); fetch(\"table.csv\"); fetch(\"blob.dat\");"
              "fetch(\"clip.mp4\"); fetch(\"sub/notes\"); fetch(\"sub\"); fetch(\"away.dat\");"
              "fetch(\"../secret.dat\");"};
  std::string error;
  std::filesystem::create_directories(dir / "movie");
  ASSERT_TRUE(WriteTestMovie(m, dir / "movie" / "_preview.swf", &error)) << error;
  const QSet<QString> named{"_preview.swf", "style.css", "data.json", "table.csv", "blob.dat", "clip.mp4",
                            "sub/notes"};
  for (const QString& name : named) {
    if (name != QLatin1String("_preview.swf")) Write(dir / "movie" / name.toStdString(), "x");
  }
  // Files no string names, a folder, and a link out of the folder.
  for (const char* name : {"other.css", "sub/other", "sub/sub.dat", "secret.dat"}) Write(dir / "movie" / name, "x");
  Write(dir / "secret.dat", "secret");
  std::filesystem::create_symlink(dir / "secret.dat", dir / "movie" / "away.dat");
  EXPECT_EQ(Listed(player::PreviewPageFiles(Q(dir / "movie" / "_preview.swf"))), Listed(named));
}

TEST(BrowserPreviewPage, OfAHundredThousandStringsEveryOneThatNamesAFileIsServed) {
  TempDir dir;
  QSet<QString> served{"names.swf"};
  RawActions script;
  script.record(0x88, std::string("\x02\x00", 2) + "clips/c" + '\0' + "_level1" + '\0');
  // Strings with a slash that lead into no folder come first: more of them
  // than the folders a preview reads.
  for (int i = 0; i < 300; ++i) script.push({"yes" + std::to_string(i) + "/no"}).op(0x17);
  for (int i = 0; i < 100000; ++i) {
    const std::string number = std::to_string(1000000 + i).substr(1);
    const bool picture = i % 1000 == 500;
    const std::string word = picture ? "pics/p" + number + ".png" : "word" + number;
    script.push({word}).op(0x17);  // and drop it
    if (picture) {
      Write(dir / word, word);
      served.insert(QString::fromStdString(word));
    }
  }
  // Loads written without an extension: getURL; loadMovieNum from the
  // constant pool; loadVariables into a target put together; a loading
  // method.
  script.record(0x83, std::string("notes\0\0", 7));
  script.record(0x96, std::string("\x08\x00\x08\x01", 4)).record(0x9A, std::string(1, '\x00'));
  script.push({"data/feed", "_level", "n"}).op(0x1C).op(0x21).record(0x9A, std::string(1, '\xC0'));
  script.push({"counter"}).record(0x96, std::string("\x07\x01\x00\x00\x00", 5));
  script.push({"lv"}).op(0x1C).push({"load"}).op(0x52).op(0x17);
  // Strings that nothing loads where the script is read, that name files.
  for (const char* name : {"notes", "clips/c", "data/feed", "counter", "word000042", "word099999", "lv"}) {
    Write(dir / name, name);
    served.insert(name);
  }
  // Files that no string names.
  for (const char* name : {"word100000", "pics/p000501.png", "clips/d"}) Write(dir / name, name);
  WriteRawMovie(dir / "names.swf", script.bytes);
  EXPECT_EQ(Listed(player::PreviewPageFiles(Q(dir / "names.swf"))), Listed(served));

  // The same loads as the program's compiler writes them, in SWF 4 and 6.
  for (const int version : {4, 6}) {
    TestMovie m;
    m.version = version;
    m.frames = {"getURL(\"notes\"); loadMovieNum(\"clips/c\", n); loadVariables(\"data/feed\", \"_level\" + n);" +
                std::string(version >= 6 ? "var lv = new LoadVars(); lv.load(\"counter\");" : "") +
                "trace(\"word000042\");"};
    std::string error;
    ASSERT_TRUE(WriteTestMovie(m, dir / "compiled.swf", &error)) << error;
    QSet<QString> named{"compiled.swf", "notes", "clips/c", "data/feed", "word000042"};
    if (version >= 6) named += QSet<QString>{"counter", "lv"};
    EXPECT_EQ(Listed(player::PreviewPageFiles(Q(dir / "compiled.swf"))), Listed(named)) << "SWF " << version;
  }
}

TEST(BrowserPreviewPage, APlayerViewServesItsMovieAndOnlyTheFilesTheMovieNames) {
  PreviewFolder folder;
  LoopbackServer server;
  ASSERT_TRUE(server.listen());
  player::RouteMovie(server, QStringLiteral("view7/movie"), Q(folder.dir / "_preview.swf"));
  const auto status = [&](const QByteArray& rest) {
    return server.respond("GET", "/" + server.token().toUtf8() + "/view7/movie/" + rest).status;
  };
  EXPECT_EQ(status("_preview.swf?g=2"), 200);
  EXPECT_EQ(status("clips/b.swf"), 200);
  EXPECT_EQ(status("data/vars.txt"), 200);
  for (const QByteArray& other : {QByteArray("project.tsm"), QByteArray("pics/unnamed.png"),
                                  QByteArray("_preview.html")})
    EXPECT_EQ(status(other), 404) << other.toStdString();
  server.unroute(QStringLiteral("view7/movie"));
  EXPECT_EQ(status("_preview.swf"), 404);
  // A movie under another name (the live picture's) names its files too.
  std::filesystem::copy_file(folder.dir / "_preview.swf", folder.dir / "_picture.tmp");
  player::RouteMovie(server, QStringLiteral("view7/movie"), Q(folder.dir / "_picture.tmp"));
  EXPECT_EQ(status("clips/b.swf"), 200);
  server.unroute(QStringLiteral("view7/movie"));

  // The movie rebuilt with other names: what it names now counts, not what
  // it named when it was last looked into.
  TestMovie rebuilt;
  rebuilt.frames = {"loadVariables(\"data/new.txt\", \"_root\");"};
  std::string error;
  ASSERT_TRUE(WriteTestMovie(rebuilt, folder.dir / "_preview.swf", &error)) << error;
  Write(folder.dir / "data/new.txt", "new");
  player::RouteMovie(server, QStringLiteral("view7/movie"), Q(folder.dir / "_preview.swf"));
  EXPECT_EQ(status("data/new.txt"), 200);
  EXPECT_EQ(status("clips/b.swf"), 404);
}

TEST(BrowserPreviewPage, ThePreviewIsServedOnlyToTheBrowserThatTookItsTicket) {
  if (!player::HasBrowserPlayer() || !LoopbackServer::shared())
    REQUIRE_CHECKER("web player not available: " + player::RuffleFlashView::unavailableReason().toStdString());
  PreviewFolder folder;
  const QUrl ticket = player::PublishBrowserPreview(folder.page());
  LoopbackServer* server = LoopbackServer::shared();
  EXPECT_FALSE(ticket.toString().contains(server->token())) << "the run's token stays in the program";
  const QByteArray scope = ticket.path(QUrl::FullyEncoded).section(QLatin1Char('/'), 0, 1).toUtf8() + "/";
  const auto answer = [&](const QByteArray& path, const QByteArray& cookie) {
    const QByteArray host = "127.0.0.1:" + QByteArray::number(server->port());
    return server->respond(HttpRequest{"GET", path, host, cookie});
  };
  const auto get = [&](const QByteArray& path, const QByteArray& cookie) {
    HttpResponse r = answer(path, cookie);
    return r.file ? r.file->readAll() : r.status == 200 ? r.body : QByteArray::number(r.status);
  };
  const HttpResponse handed = server->respond("GET", ticket.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority));
  const QByteArray cookie = handed.headers.value(0).second.split(';').value(0);
  EXPECT_TRUE(get(scope + "browser/more.html", cookie).contains("ruffle/ruffle.js"));
  EXPECT_EQ(get(scope + "browser/clips/b.swf", cookie), "clips/b.swf") << "the movie loads it";
  // Only a page is held whole, to put the player in; a movie, however
  // large, goes out as the browser reads it.
  const HttpResponse movie = answer(scope + "browser/clips/b.swf", cookie);
  EXPECT_TRUE(movie.file && movie.body.isEmpty());
  EXPECT_EQ(get(scope + "browser/pics/unnamed.png", cookie), "404");
  EXPECT_EQ(get(scope + "browser/project.tsm", cookie), "404");
  const QByteArray config = get(scope + "browser-config.js", cookie);
  EXPECT_TRUE(config.contains("\"autoplay\":\"on\"")) << config.toStdString();
  EXPECT_FALSE(config.contains(server->token().toUtf8()));
  // The next preview has a scope of its own; this one is closed.
  ASSERT_FALSE(player::PublishBrowserPreview(folder.page()).isEmpty());
  EXPECT_EQ(get(scope + "browser/clips/b.swf", cookie), "404");
}

// The desktop's opener has the page when it exits well, or when it still
// runs a while after it started (it then waits for the browser it started);
// one that fails never had it. A page's section goes as its address.
TEST(BrowserPreviewOpener, ThePageIsTakenWhenTheOpenerExitsWellOrKeepsRunning) {
  TempDir dir;
  const std::filesystem::path bin = dir / "bin";
  Write(bin / "xdg-open", "#!/bin/sh\nexport PATH=/usr/bin:/bin\necho \"$1\" >> '" + (dir / "opened").string() +
                              "'\ncase \"$1\" in *no-program*) exit 3;;\n"
                              "*waits*) while [ ! -e '" + (dir / "closed").string() + "' ]; do sleep 0.1; done;;\n"
                              "esac\n");
  ASSERT_EQ(::chmod((bin / "xdg-open").c_str(), 0755), 0);
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", QByteArray::fromStdString(bin.string()));
  gui::Opener& opener = *gui::QtDesktopServices().opener;
  std::vector<int> failed(3), opened(3);
  const auto openPage = [&](const std::string& name, const QString& section, size_t i) {
    return opener.openPage(Q(dir / name), section, [&failed, i] { ++failed[i]; }, [&opened, i] { ++opened[i]; });
  };
  EXPECT_TRUE(openPage("page.html", QStringLiteral("about"), 0));
  EXPECT_TRUE(openPage("no-program.html", {}, 1));
  EXPECT_TRUE(openPage("waits.html", {}, 2));
  qputenv("PATH", path);
  EXPECT_TRUE(WaitUntil([&] { return opened[2] == 1; }, 20000)) << "the browser had it while it ran";
  std::ofstream(dir / "closed") << "";
  ASSERT_TRUE(WaitUntil([] {
    return QCoreApplication::instance()->findChildren<QProcess*>(Qt::FindDirectChildrenOnly).isEmpty();
  }));
  EXPECT_EQ(opened, (std::vector<int>{1, 0, 1}));  // the one that waited, once
  EXPECT_EQ(failed, (std::vector<int>{0, 1, 0}));
  const QByteArray asked = ReadAll(Q(dir / "opened"));
  EXPECT_TRUE(asked.contains("file://" + (dir / "page.html").string() + "#about\n")) << asked.toStdString();
}

class BrowserPreviewMenuTest : public MainGuiTest {};

TEST_F(BrowserPreviewMenuTest, TheDesktopsBrowserIsHandedAPrivateFileNotTheAddress) {
  if (!player::HasBrowserPlayer() || !LoopbackServer::shared())
    REQUIRE_CHECKER("web player not available: " + player::RuffleFlashView::unavailableReason().toStdString());
  gui::MainGUI& main = start();
  QAction* inBrowser = Control<QAction>(main, "previewInBrowserAction");
  inBrowser->trigger();
  ASSERT_EQ(desktop.opener.calls.size(), 1u);
  const QString call = desktop.opener.calls[0];
  ASSERT_TRUE(call.startsWith("file " + Q(GUICore::State().paths.scratch) + "/browser-")) << call.toStdString();
  EXPECT_FALSE(call.contains(LoopbackServer::shared()->token()) || call.contains("ticket") || call.contains("http"));
  const QString forwarding = call.mid(5);
  struct stat st {};
  ASSERT_EQ(::stat(forwarding.toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u) << "no one else reads the ticket";
  EXPECT_TRUE(ReadAll(forwarding).contains("content=\"0;url=http://127.0.0.1:"));
  EXPECT_TRUE(ReadAll(forwarding).contains("/browser/_preview.html?ticket="));

  inBrowser->trigger();
  EXPECT_FALSE(QFile::exists(forwarding)) << "the file of the preview before goes";
  EXPECT_TRUE(ui.messages.empty());
  desktop.opener.result = false;
  inBrowser->trigger();
  ASSERT_EQ(ui.messages.size(), 1u) << "a preview that did not open says so";
  // The page the user knows of, not the file that leads to it.
  const std::string page = (GUICore::State().paths.scratch / "_preview.html").string();
  EXPECT_EQ(ui.messages[0].text, "ブラウザでプレビューを開けませんでした。\r\n" + page);
  EXPECT_JAPANESE(ui.messages[0].text, {page});
}

// Without the player's files the browser still gets the page, and F6 and
// F5 say why the movie will not play.
TEST_F(BrowserPreviewMenuTest, WithoutThePlayersFilesF6SaysTheMovieWillNotPlay) {
  struct NoPlayerFiles {
    explicit NoPlayerFiles(const QString& folder) { qputenv("TESMIRO_RUFFLE_DIR", folder.toUtf8()); }
    ~NoPlayerFiles() { qunsetenv("TESMIRO_RUFFLE_DIR"); }
  } noPlayer(Q(temp.path()));
  ASSERT_FALSE(player::HasBrowserPlayer());
  gui::MainGUI& main = start();
  QAction* inBrowser = Control<QAction>(main, "previewInBrowserAction");
  inBrowser->trigger();
  ASSERT_EQ(desktop.opener.calls.size(), 1u);
  const std::string page = (GUICore::State().paths.scratch / "_preview.html").string();
  EXPECT_EQ(desktop.opener.calls[0], "file " + Q(page));
  // Said once the browser has the page: one that fails has no movie to miss.
  EXPECT_TRUE(ui.messages.empty()) << "before the desktop's opener is heard from";
  desktop.opener.failLater();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "ブラウザでプレビューを開けませんでした。\r\n" + page);
  ui.messages.clear();
  inBrowser->trigger();
  desktop.opener.succeedLater();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text.rfind("ブラウザではムービーが再生されません。\r\n", 0), 0u) << ui.messages[0].text;
  EXPECT_NE(ui.messages[0].text.find("ruffle.js"), std::string::npos) << "what is missing";
  EXPECT_JAPANESE(ui.messages[0].text, {"ruffle.js"});

  ui.messages.clear();
  Control<QAction>(main, "previewWindowAction")->trigger();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_NE(ui.messages[0].text.find("ruffle.js"), std::string::npos) << ui.messages[0].text;
  EXPECT_JAPANESE(ui.messages[0].text, {"ruffle.js"});
}

TEST(RuffleBrowserPreview, TheTemplatesEmbedBecomesAPlayingMovie) {
  const QString reason = player::RuffleFlashView::unavailableReason();
  REQUIRE_CHECKER(reason.isEmpty() ? "" : "web player not available: " + reason.toStdString());
  TempDir dir;
  TestMovie m;
  m.frames.assign(7, "");
  std::string error;
  ASSERT_TRUE(WriteTestMovie(m, dir / "_preview.swf", &error)) << error;
  std::ofstream(dir / "_preview.html")
      << "<html><body><object classid=\"clsid:d27cdb6e-ae6d-11cf-96b8-444553540000\" width=\"120\" height=\"80\">"
         "<param name=\"movie\" value=\"_preview.swf\" /><embed src=\"_preview.swf\" width=\"120\" height=\"80\" "
         "type=\"application/x-shockwave-flash\" /></object></body></html>";
  const QUrl url = player::PublishBrowserPreview(Q(dir / "_preview.html"));
  ASSERT_FALSE(url.isEmpty());
  // As the desktop's browser opens it: the private file, then the ticket.
  const std::filesystem::path scratch = GUICore::State().paths.scratch;
  GUICore::State().paths.scratch = dir.path();
  const QString forwarding = player::WriteForwardingPage(url);
  GUICore::State().paths.scratch = scratch;
  ASSERT_FALSE(forwarding.isEmpty());
  player::WebEngine* engine = player::LoadedWebEngine();
  ASSERT_NE(engine, nullptr) << player::WebEngineLoadError().toStdString();
  const std::unique_ptr<player::WebPage> browser(engine->createPage(nullptr, player::WebPageKind::Browser, {}));
  browser->widget()->resize(300, 200);
  browser->widget()->show();
  const auto ask = [&](const QString& script) {
    auto answer = std::make_shared<QVariant>();
    auto answered = std::make_shared<bool>(false);
    browser->runJavaScript(script, [answer, answered](const QVariant& v) {
      *answer = v;
      *answered = true;
    });
    WaitUntil([&] { return *answered; }, 10000);
    return *answer;
  };
  // The program's pages never follow a local file on to the web, as a
  // desktop browser does: the engine reads the file, and the test follows
  // its refresh.
  browser->load(QUrl::fromLocalFile(forwarding));
  QString refresh;
  EXPECT_TRUE(WaitUntil([&] {
    refresh = ask(QStringLiteral("(() => { const m = document.querySelector('meta[http-equiv=refresh]');"
                                 " return m ? m.content : ''; })()")).toString();
    return !refresh.isEmpty();
  }, 30000));
  ASSERT_TRUE(refresh.startsWith(QStringLiteral("0;url="))) << refresh.toStdString();
  const QUrl next(refresh.mid(6));
  EXPECT_EQ(next, url) << next.toString().toStdString();
  browser->allowBelow(url.adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery | QUrl::RemoveFragment));
  browser->load(next);
  int frames = 0;
  EXPECT_TRUE(WaitUntil([&] {
    frames = ask(QStringLiteral("(() => { const p = document.querySelector('ruffle-object, ruffle-embed');"
                                " const m = p && p.ruffle && p.ruffle().metadata; return m ? m.numFrames : 0; })()"))
                 .toInt();
    return frames != 0;
  }, 90000));
  EXPECT_EQ(frames, 7) << "the page's player loaded the movie beside it";
  EXPECT_TRUE(browser->url().toString().endsWith("/browser/_preview.html")) << browser->url().toString().toStdString();
}

}  // namespace
}  // namespace tesmiro::testing
