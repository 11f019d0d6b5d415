#pragma once

#include <QString>
#include <optional>

// Seconds of audio in an MP3 file, counted from its frames: what a player will play, whatever
// the converter reported while writing it. 0 when the file holds no audio frame; empty when it
// cannot be read.
std::optional<double> Mp3AudioSeconds(const QString &path);
