#pragma once

// Makes the C library's character type UTF-8 before the application starts, when the
// environment names no locale or one that is not UTF-8 (a bare machine, a service, a test run
// without LANG). X11's window properties are converted through it: without it the title reaches
// the window manager as UTF-8 bytes labelled Latin-1 and reads as mojibake.
void EnsureUtf8TextLocale();
