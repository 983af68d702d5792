#include "ui/player/preview_files.h"

#include <dirent.h>
#include <sys/stat.h>
#include <zlib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <bitset>
#include <optional>
#include <span>
#include <string>

#include "platform/byte_reader.h"
#include "platform/encoding.h"

namespace tesmiro::player {
namespace {

// A page that names more files than this is not a preview's page.
constexpr qsizetype kMaxFiles = 256;
// Pages and movies larger than this are served, not looked into.
constexpr qint64 kMaxScannedBytes = qint64{64} << 20;

enum Tag : int {
  kEnd = 0,
  kDefineButton = 7,
  kDoAction = 12,
  kPlaceObject2 = 26,
  kDefineButton2 = 34,
  kDefineSprite = 39,
  kDoInitAction = 59,
  kPlaceObject3 = 70,
};
constexpr uint8_t kHasClipActions = 0x80;  // of a placement's first flags

QByteArray Inflate(const QByteArray& in, qint64 expected) {
  QByteArray out(static_cast<qsizetype>(std::min(expected, kMaxScannedBytes)), Qt::Uninitialized);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return {};
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
  z.avail_in = static_cast<uInt>(in.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  // A movie cut short still has its first tags.
  inflate(&z, Z_FINISH);
  out.truncate(static_cast<qsizetype>(z.total_out));
  inflateEnd(&z);
  return out;
}

// Strings end with a zero byte; what comes before one, back to the first
// byte that is not text, is a string.
void CollectStrings(std::span<const uint8_t> body, QList<QByteArray>& out) {
  size_t start = 0;
  for (size_t i = 0; i < body.size(); ++i) {
    const uint8_t b = body[i];
    if (b == 0) {
      if (i > start)
        out.push_back(QByteArray(reinterpret_cast<const char*>(body.data() + start), static_cast<qsizetype>(i - start)));
      start = i + 1;
    } else if (b < 0x20 || b == 0x7F) {
      start = i + 1;
    }
  }
}

enum Action : uint8_t {
  kAdd = 0x0A, kGetVariable = 0x1C, kStringAdd = 0x21, kCallFunction = 0x3D, kAdd2 = 0x47, kGetMember = 0x4E,
  kCallMethod = 0x52, kGetUrl = 0x83, kConstantPool = 0x88, kPush = 0x96, kGetUrl2 = 0x9A,
};

// A value the script has pushed: the text of a string, nothing for any
// other value or one that is not known.
using Pushed = std::optional<std::string_view>;

// A zero-ended string; the reader fails when the bytes end first.
std::optional<std::string_view> ReadText(ByteReader& r) {
  const std::span<const uint8_t> rest = r.rest();
  const auto end = std::find(rest.begin(), rest.end(), uint8_t{0});
  if (end == rest.end()) {
    r.fail();
    return std::nullopt;
  }
  const std::string_view text(reinterpret_cast<const char*>(rest.data()), static_cast<size_t>(end - rest.begin()));
  r.skip(text.size() + 1);
  return text;
}

// False, with `stack` as it was, for bytes whose items do not fill them.
bool ReadPush(std::span<const uint8_t> payload, const std::vector<std::string_view>& pool, std::vector<Pushed>& stack) {
  // Bytes of each kind of item after its kind; -1 for the zero-ended string.
  constexpr int kItemBytes[] = {-1, 4, 0, 0, 1, 1, 8, 4, 1, 2};
  const size_t depth = stack.size();
  ByteReader r(payload);
  while (r.ok() && !r.atEnd()) {
    const uint8_t kind = r.u8();
    if (kind >= std::size(kItemBytes)) {
      r.fail();
    } else if (kItemBytes[kind] < 0) {
      stack.push_back(ReadText(r));
    } else if (kind == 8 || kind == 9) {
      const uint16_t index = kind == 8 ? r.u8() : r.u16();
      stack.push_back(index < pool.size() ? Pushed(pool[index]) : std::nullopt);
    } else {
      r.skip(static_cast<size_t>(kItemBytes[kind]));
      stack.push_back(std::nullopt);
    }
  }
  if (r.ok()) return true;
  stack.resize(depth);
  return false;
}

bool ReadPool(std::span<const uint8_t> payload, std::vector<std::string_view>& pool) {
  ByteReader r(payload);
  const uint16_t count = r.u16();
  // Each string has at least its zero byte.
  if (count > r.remaining()) return false;
  std::vector<std::string_view> strings;
  strings.reserve(count);
  while (r.ok() && strings.size() < count) strings.push_back(ReadText(r).value_or(std::string_view()));
  if (!r.ok() || !r.atEnd()) return false;
  pool = std::move(strings);
  return true;
}

// An action that takes `count` values and leaves one that is not known.
bool Reduce(std::vector<Pushed>& stack, size_t count) {
  if (stack.size() < count) return false;
  stack.resize(stack.size() - count);
  stack.push_back(std::nullopt);
  return true;
}

// The methods and functions whose first argument is an address they load.
bool IsLoader(const Pushed& name) {
  static const std::string_view kLoaders[] = {"load", "loadClip", "loadMovie", "loadSound", "loadVariables",
                                              "sendAndLoad"};
  return name && std::find(std::begin(kLoaders), std::end(kLoaders), *name) != std::end(kLoaders);
}

void AddLoad(const Pushed& address, QList<QByteArray>& loads) {
  if (address && !address->empty())
    loads.push_back(QByteArray(address->data(), static_cast<qsizetype>(address->size())));
}

// The addresses a script loads where it writes them out: getURL's own, the
// one beneath the target when getURL, loadMovie and loadVariables take
// theirs from the stack, and the first argument of a loading method. Where
// a script starts is not always known (a button's and a placement's come
// after records of their own), so a record is taken only where its contents
// fill it exactly, and every other byte is stepped over: bytes of other
// records are seldom read as one, and then mostly cost a lookup. An action
// not followed here forgets what was pushed.
void CollectLoads(std::span<const uint8_t> body, QList<QByteArray>& loads) {
  std::vector<std::string_view> pool;
  std::vector<Pushed> stack;
  size_t at = 0;
  while (at < body.size()) {
    const uint8_t code = body[at];
    std::span<const uint8_t> payload;
    size_t length = 1;
    if (code >= 0x80) {
      const size_t declared = at + 3 <= body.size() ? size_t{body[at + 1]} | size_t{body[at + 2]} << 8 : 0;
      if (at + 3 + declared > body.size()) {
        stack.clear();
        ++at;
        continue;
      }
      payload = body.subspan(at + 3, declared);
      length = 3 + declared;
    }
    bool taken = true;
    switch (code) {
      case kPush: taken = ReadPush(payload, pool, stack); break;
      case kConstantPool: taken = ReadPool(payload, pool); break;
      case kGetUrl: {
        ByteReader r(payload);
        const std::optional<std::string_view> address = ReadText(r);
        ReadText(r);  // the target
        taken = r.ok() && r.atEnd();
        if (taken) AddLoad(address, loads);
        stack.clear();
        break;
      }
      case kGetUrl2:
        taken = payload.size() == 1;
        if (taken && stack.size() >= 2) AddLoad(stack[stack.size() - 2], loads);
        stack.clear();
        break;
      case kCallMethod: case kCallFunction: {
        // The name on top; a method's object, then the count of arguments,
        // beneath it.
        const size_t first = code == kCallMethod ? 4 : 3;
        if (stack.size() >= first && IsLoader(stack.back())) AddLoad(stack[stack.size() - first], loads);
        taken = false;
        break;
      }
      case kGetVariable: taken = Reduce(stack, 1); break;
      case kGetMember: case kAdd: case kAdd2: case kStringAdd: taken = Reduce(stack, 2); break;
      default: taken = false; break;
    }
    if (!taken) stack.clear();
    at += taken ? length : 1;
  }
}

// What a script holds that can name a file: the addresses it loads where
// they are written out, then every string.
void CollectScript(std::span<const uint8_t> body, QList<QByteArray>& out) {
  CollectLoads(body, out);
  CollectStrings(body, out);
}

void WalkTags(ByteReader& r, bool inSprite, QList<QByteArray>& out) {
  while (r.has(2)) {
    const uint16_t head = r.u16();
    uint32_t length = head & 63;
    if (length == 63) length = r.u32();
    const int code = head >> 6;
    if (code == kEnd || !r.has(length)) return;
    const std::span<const uint8_t> body = r.bytes(length);
    switch (code) {
      case kDefineSprite:
        if (!inSprite && body.size() >= 4) {
          ByteReader inner(body.subspan(4));
          WalkTags(inner, true, out);
        }
        break;
      case kDoAction: case kDoInitAction: case kDefineButton: case kDefineButton2:
        CollectScript(body, out);
        break;
      case kPlaceObject2: case kPlaceObject3:
        // Only a placement with clip actions holds script; the others are
        // numbers, and a large movie has a million of them.
        if (!body.empty() && (body[0] & kHasClipActions)) CollectScript(body, out);
        break;
      default:
        break;
    }
  }
}

QList<QByteArray> PageReferences(const QByteArray& html) {
  // The bytes as they are: the page may be in either of the encodings.
  static const QRegularExpression attribute(
      QStringLiteral(R"re((?:src|href|value|data|movie|background)\s*=\s*(?:"([^"]*)"|'([^']*)'|([^\s"'>]+)))re"),
      QRegularExpression::CaseInsensitiveOption);
  QList<QByteArray> out;
  auto it = attribute.globalMatch(QString::fromLatin1(html));
  while (it.hasNext()) {
    const QRegularExpressionMatch m = it.next();
    for (int i = 1; i <= 3; ++i) {
      if (m.capturedLength(i) > 0) out.push_back(m.captured(i).toLatin1().replace("&amp;", "&"));
    }
  }
  return out;
}

// Whether a name needs more than joining to its folder: a byte to decode,
// an address of another place, a query, "." or ".." or an empty segment.
bool NeedsReading(const QByteArray& name) {
  if (name.isEmpty() || name.startsWith('/')) return true;
  qsizetype segmentStart = 0;
  for (qsizetype i = 0; i <= name.size(); ++i) {
    const char c = i < name.size() ? name[i] : '/';
    if (c < 0x20 || c > 0x7E || c == '%' || c == '\\' || c == ':' || c == '?' || c == '#') return true;
    if (c != '/') continue;
    const qsizetype length = i - segmentStart;
    if (length == 0) return true;
    if (length <= 2 && name[segmentStart] == '.' && (length == 1 || name[segmentStart + 1] == '.')) return true;
    segmentStart = i + 1;
  }
  return false;
}

// The path below the root, "/"-separated, that `name` names from the folder
// `base` (relative to the root, "" for the root itself); nothing for an
// address of another place or above the root.
std::optional<QByteArray> Named(const QByteArray& base, const QByteArray& name) {
  if (!NeedsReading(name)) return base.isEmpty() ? name : base + '/' + name;
  const std::string_view bytes(name.constData(), static_cast<size_t>(name.size()));
  QString text = enc::IsValidUtf8(bytes) ? QString::fromUtf8(name) : QString::fromStdString(enc::Cp932ToUtf8(bytes));
  const qsizetype cut = text.indexOf(QRegularExpression(QStringLiteral("[?#]")));
  if (cut >= 0) text.truncate(cut);
  text = QUrl::fromPercentEncoding(text.toUtf8()).replace(QLatin1Char('\\'), QLatin1Char('/'));
  // Addresses of other places (a scheme, a drive, the server's root).
  if (text.isEmpty() || text.startsWith(QLatin1Char('/')) || text.contains(QLatin1Char(':'))) return std::nullopt;
  const QString relative =
      QDir::cleanPath(base.isEmpty() ? text : QString::fromUtf8(base) + QLatin1Char('/') + text);
  if (relative == QLatin1String("..") || relative.startsWith(QLatin1String("../"))) return std::nullopt;
  return relative.toUtf8();
}

// Whether `relative` is a file below `root`; a link is followed only as far
// as it stays inside.
bool IsFileBelow(const QString& root, const QString& relative) {
  const QString real = QFileInfo(QDir(root).filePath(relative)).canonicalFilePath();
  return !real.isEmpty() && real.startsWith(root + QLatin1Char('/')) && QFileInfo(real).isFile();
}

// What the folders below the root hold, each read once for a preview, so
// that the hundred thousand strings of a large script are looked for in
// memory. Sub-folders are left out; links are kept, wherever they lead.
class FolderNames {
 public:
  explicit FolderNames(const QString& root) : root_(QFile::encodeName(root)) {}

  // Whether `relative` ("/"-separated, as Named gives it) is listed.
  bool lists(const QByteArray& relative) {
    const qsizetype slash = relative.lastIndexOf('/');
    if (slash < 0) return in(QByteArray()).holds(relative);
    return in(relative.left(slash)).holds(relative.mid(slash + 1));
  }

 private:
  struct Listing {
    QSet<QByteArray> names;
    // Of the names, the longest together: most strings are turned away
    // by their length alone.
    std::bitset<256> lengths;
    // What may be a folder: folders, links and entries of no known type.
    QSet<QByteArray> folders;
    bool holds(const QByteArray& name) const {
      return lengths[static_cast<size_t>(std::min<qsizetype>(name.size(), 255))] && names.contains(name);
    }
  };

  // A folder is looked for in the listing of the one above it, from the
  // root down: strings that merely hold a slash cost no look into the file
  // system, and only folders that exist count toward the bound, so that
  // they do not use it up before a name of a real one comes.
  const Listing& in(const QByteArray& folder) {
    static const Listing kUnread;
    const Listing* listing = find(QByteArray());
    for (qsizetype start = 0; listing && start < folder.size();) {
      qsizetype slash = folder.indexOf('/', start);
      if (slash < 0) slash = folder.size();
      if (!listing->folders.contains(folder.mid(start, slash - start))) return kUnread;
      listing = find(folder.left(slash));
      start = slash + 1;
    }
    return listing ? *listing : kUnread;
  }

  // The listing of a folder its parent lists, read the first time; none
  // once as many folders have been read as a preview serves files.
  const Listing* find(const QByteArray& folder) {
    const auto listing = std::as_const(folders_).find(folder);
    if (listing != folders_.cend()) return &*listing;
    if (read_ >= kMaxFiles) return nullptr;
    return &*folders_.insert(folder, read(folder));
  }

  Listing read(const QByteArray& folder) {
    Listing listing;
    DIR* dir = ::opendir((folder.isEmpty() ? root_ : root_ + '/' + folder).constData());
    if (!dir) return listing;
    ++read_;
    while (const dirent* entry = ::readdir(dir)) {
      const QByteArray name(entry->d_name);
      if (entry->d_type != DT_REG && name != "." && name != "..") listing.folders.insert(name);
      if (entry->d_type == DT_DIR) continue;
      listing.names.insert(name);
      listing.lengths.set(static_cast<size_t>(std::min<qsizetype>(name.size(), 255)));
    }
    ::closedir(dir);
    return listing;
  }

  QByteArray root_;
  QHash<QByteArray, Listing> folders_;  // also those that could not be read
  qsizetype read_ = 0;
};

}  // namespace

QList<QByteArray> MovieFileNames(const QByteArray& movie) {
  if (movie.size() < 9 || movie.mid(1, 2) != "WS") return {};
  QByteArray body;
  if (movie[0] == 'F') {
    body = movie.mid(8);
  } else if (movie[0] == 'C') {
    ByteReader header(std::string_view(movie.constData() + 4, 4));
    body = Inflate(movie.mid(8), qint64{header.u32()} - 8);
  } else {
    return {};
  }
  ByteReader r(std::string_view(body.constData(), static_cast<size_t>(body.size())));
  // The stage rectangle, then frame rate and count.
  if (!r.has(1)) return {};
  r.skip(static_cast<size_t>((5 + 4 * (r.peek() >> 3) + 7) / 8) + 4);
  QList<QByteArray> names;
  WalkTags(r, false, names);
  return names;
}

namespace {

// What a movie names, kept while its file stays the same: a view loads its
// pictures over the same large movie underneath again and again.
struct KnownMovie {
  struct stat file {};
  QList<QByteArray> names;
};

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
         a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

QList<QByteArray> MovieNames(QFile& f) {
  static QHash<QString, KnownMovie> known;
  struct stat now {};
  const QString path = QFileInfo(f).canonicalFilePath();
  const bool stated = ::fstat(f.handle(), &now) == 0;
  if (stated) {
    const auto it = known.constFind(path);
    if (it != known.constEnd() && SameFile(it->file, now)) return it->names;
  }
  QList<QByteArray> names = MovieFileNames(f.readAll());
  if (stated) {
    if (known.size() >= 8) known.clear();
    known.insert(path, KnownMovie{now, names});
  }
  return names;
}

}  // namespace

QSet<QString> PreviewPageFiles(const QString& pagePath) {
  const QFileInfo page(pagePath);
  const QString root = QFileInfo(page.absolutePath()).canonicalFilePath();
  if (root.isEmpty()) return {};
  FolderNames listed(root);
  QSet<QString> files{page.fileName()};
  QSet<QString> refused;  // listed, but not a file inside the folder
  QList<QString> queue{page.fileName()};
  while (!queue.isEmpty() && files.size() < kMaxFiles) {
    const QString current = queue.takeFirst();
    QFile f(QDir(root).filePath(current));
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxScannedBytes) continue;
    const QString suffix = QFileInfo(current).suffix().toLower();
    QList<QByteArray> names;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm")) names = PageReferences(f.readAll());
    // A movie is known by its signature, not its name: a view's own
    // pictures are movies under another extension.
    else if (const QByteArray sig = f.peek(3); sig == "FWS" || sig == "CWS") names = MovieNames(f);
    // A name is read from the file's own folder and from the page's: the
    // player resolves a movie's names against either, as it is told.
    QString base = QFileInfo(current).path();
    if (base == QLatin1String(".")) base.clear();
    const QByteArray bases[] = {base.toUtf8(), QByteArray()};
    const std::span<const QByteArray> from(bases, base.isEmpty() ? 1 : 2);
    for (const QByteArray& name : names) {
      for (const QByteArray& folder : from) {
        // Most strings of a script are plain words, looked for as they are.
        const bool asItIs = folder.isEmpty() && !NeedsReading(name);
        const std::optional<QByteArray> read = asItIs ? std::nullopt : Named(folder, name);
        if (!asItIs && !read) continue;
        const QByteArray& relative = asItIs ? name : *read;
        if (!listed.lists(relative)) continue;
        const QString path = QString::fromUtf8(relative);
        if (files.contains(path) || refused.contains(path) || files.size() >= kMaxFiles) continue;
        if (IsFileBelow(root, path)) {
          files.insert(path);
          queue.push_back(path);
        } else {
          refused.insert(path);
        }
      }
    }
  }
  return files;
}

}  // namespace tesmiro::player
