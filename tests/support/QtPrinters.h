#pragma once

// Included in every test file (tests/CMakeLists.txt), so that a failure shows Qt's strings as text
// rather than as "2-byte object <64-00>" or a list of characters.
#include <QByteArray>
#include <QString>

#include <cstring>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// Bytes as a C string literal: printable ASCII as is, the rest as \r, \n, \t, \" , \\ or \xHH.
inline void PrintTo(const QByteArray &bytes, std::ostream *out)
{
    static const char escaped[] = "\r\n\t\"\\", letters[] = "rnt\"\\", hex[] = "0123456789ABCDEF";
    *out << '"';
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (const char *e = c ? std::strchr(escaped, c) : nullptr)
            *out << '\\' << letters[e - escaped];
        else if (u < 0x20 || u >= 0x7F)
            *out << "\\x" << hex[u >> 4] << hex[u & 15];
        else
            *out << c;
    }
    *out << '"';
}
