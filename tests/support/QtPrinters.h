#pragma once

// Included in every test file (tests/CMakeLists.txt), so that a failure shows Qt's strings as text
// rather than as "2-byte object <64-00>" or a list of characters.
#include <QByteArray>
#include <QString>

#include <cstdio>
#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// Bytes as a C string literal: printable ASCII as is, the rest as \r, \n, \t or \xHH.
inline void PrintTo(const QByteArray &bytes, std::ostream *out)
{
    *out << '"';
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\r' || c == '\n' || c == '\t') {
            *out << '\\' << (c == '\r' ? 'r' : c == '\n' ? 'n' : 't');
        } else if (u < 0x20 || u >= 0x7F || c == '"' || c == '\\') {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            *out << (c == '"' || c == '\\' ? std::string{'\\', c} : std::string(hex));
        } else {
            *out << c;
        }
    }
    *out << '"';
}
