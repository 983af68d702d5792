#include "ui/player/preview_files.h"

#include <sys/stat.h>
#include <zlib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
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
        CollectStrings(body, out);
        break;
      case kPlaceObject2: case kPlaceObject3:
        // Only a placement with clip actions holds script; the others are
        // numbers, and a large movie has a million of them.
        if (!body.empty() && (body[0] & kHasClipActions)) CollectStrings(body, out);
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

// The file below `root` that `name` names from the folder `base` (relative
// to root, "" for root itself), as a path relative to root.
std::optional<QString> Resolve(const QString& root, const QString& base, const QByteArray& name) {
  const std::string_view bytes(name.constData(), static_cast<size_t>(name.size()));
  QString text = enc::IsValidUtf8(bytes) ? QString::fromUtf8(name) : QString::fromStdString(enc::Cp932ToUtf8(bytes));
  const qsizetype cut = text.indexOf(QRegularExpression(QStringLiteral("[?#]")));
  if (cut >= 0) text.truncate(cut);
  text = QUrl::fromPercentEncoding(text.toUtf8()).replace(QLatin1Char('\\'), QLatin1Char('/'));
  // Addresses of other places (a scheme, a drive, the server's root).
  if (text.isEmpty() || text.startsWith(QLatin1Char('/')) || text.contains(QLatin1Char(':'))) return std::nullopt;
  const QString relative = QDir::cleanPath(base.isEmpty() ? text : base + QLatin1Char('/') + text);
  if (relative == QLatin1String("..") || relative.startsWith(QLatin1String("../"))) return std::nullopt;
  const QFileInfo info(QDir(root).filePath(relative));
  const QString real = info.canonicalFilePath();
  if (real.isEmpty() || !real.startsWith(root + QLatin1Char('/')) || !QFileInfo(real).isFile()) return std::nullopt;
  return relative;
}

}  // namespace

QList<QByteArray> MovieScriptStrings(const QByteArray& movie) {
  QList<QByteArray> out;
  if (movie.size() < 9 || movie.mid(1, 2) != "WS") return out;
  QByteArray body;
  if (movie[0] == 'F') {
    body = movie.mid(8);
  } else if (movie[0] == 'C') {
    ByteReader header(std::string_view(movie.constData() + 4, 4));
    body = Inflate(movie.mid(8), qint64{header.u32()} - 8);
  } else {
    return out;
  }
  ByteReader r(std::string_view(body.constData(), static_cast<size_t>(body.size())));
  // The stage rectangle, then frame rate and count.
  if (!r.has(1)) return out;
  r.skip(static_cast<size_t>((5 + 4 * (r.peek() >> 3) + 7) / 8) + 4);
  WalkTags(r, false, out);
  return out;
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
  QList<QByteArray> names = MovieScriptStrings(f.readAll());
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
  QSet<QString> files{page.fileName()};
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
    QSet<QByteArray> tried;
    for (const QByteArray& name : names) {
      if (tried.contains(name)) continue;
      tried.insert(name);
      for (const QString& from : {base, QString()}) {
        const std::optional<QString> found = Resolve(root, from, name);
        if (found && !files.contains(*found) && files.size() < kMaxFiles) {
          files.insert(*found);
          queue.push_back(*found);
        }
        if (base.isEmpty()) break;
      }
    }
  }
  return files;
}

}  // namespace tesmiro::player
