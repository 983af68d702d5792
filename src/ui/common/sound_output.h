#pragma once
// The sound player as its plugin (sound/) gives it. Qt Multimedia, and the
// audio system under it, cost every program that links them at start-up,
// so they live in a library of their own, which the program loads when it
// first plays a sound; a program without it plays none and runs on.
#include <QtPlugin>

#include "ui/common/services.h"

// The version changes with the interface: a library left from an older
// build is refused, not called wrongly.
#define TESMIRO_SOUND_IID "org.tesmiro.Sound/3"
Q_DECLARE_INTERFACE(tesmiro::gui::SoundPlayer, TESMIRO_SOUND_IID)
