#pragma once

#include <QString>

// The short form of an existing file or folder's path, or the empty string when the path names
// nothing. Where the file system has no short (8.3) names, the short form is the absolute,
// cleaned path, with symbolic links left as they are.
QString ShortPathOf(const QString &path);
