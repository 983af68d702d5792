#pragma once
// The files of a browser preview's folder that its page needs: the page,
// what its tags name (the movie, pictures, linked pages), and what its
// movies name in their scripts (loadMovie, loadVariables, getURL with a
// fixed name), followed through every page and movie so found. Only these
// are served, never the folder: it may be the project's own. A name that a
// script puts together while it runs cannot be known, and is not served.
#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace tesmiro::player {

// Paths relative to the page's folder, "/"-separated, the page's own name
// among them. Empty when the page's folder does not exist.
QSet<QString> PreviewPageFiles(const QString& pagePath);

// Every string in the scripts of a movie, plain or zlib-compressed; none
// for anything else.
QList<QByteArray> MovieScriptStrings(const QByteArray& movie);

}  // namespace tesmiro::player
