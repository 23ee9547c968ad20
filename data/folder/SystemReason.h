#pragma once

#include <QString>

// The reason for a system error number, in Japanese words, for people. Numbers without words of
// their own get a sentence that still says what kind of thing went wrong, with the number after it.
QString SystemReason(int error);
