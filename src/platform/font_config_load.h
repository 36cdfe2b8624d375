#pragma once

// The system's font configuration (fontconfig: its configuration files and the caches of every
// font) takes a few milliseconds to read, the largest part of a font database's first load. Read
// on a thread of its own from the start of the process, it is ready before the window measures
// its first text instead of holding it up.

// Starts reading it on a thread of its own; once per process.
void beginFontConfigLoad();
// Returns once a read begun by beginFontConfigLoad() has ended, at once when none was begun.
// Any thread.
void awaitFontConfigLoad();
