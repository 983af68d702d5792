#pragma once
// The files of a browser preview's folder that its page needs: the page,
// what its tags name (the movie, pictures, linked pages), and what its
// movies name in their scripts (see MovieFileNames), followed through every
// page and movie so found. Only these are served, never the folder: it may
// be the project's own. A name that a script puts together while it runs
// cannot be known, and is not served.
#include <QByteArray>
#include <QList>
#include <QSet>
#include <QString>

namespace tesmiro::player {

// Paths relative to the page's folder, "/"-separated, the page's own name
// among them. Empty when the page's folder does not exist. Each folder a
// name points into is read once, and the names are looked for in memory.
QSet<QString> PreviewPageFiles(const QString& pagePath);

// Every string in the scripts of a movie, plain or zlib-compressed: any of
// them can name a file, whatever its extension. Before a script's strings
// come the addresses it loads as they are written (getURL, loadMovie,
// loadVariables, a loading method's first argument), read from its
// actions, as the bytes before them can hide them from the plain reading.
// None for anything that is not a movie.
QList<QByteArray> MovieFileNames(const QByteArray& movie);

}  // namespace tesmiro::player
