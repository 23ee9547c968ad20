#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <initializer_list>
#include <utility>
#include <vector>

// Environment variables set for a scope (an empty value unsets), then given back as they were.
class ScopedEnvironment
{
public:
    ScopedEnvironment(std::initializer_list<std::pair<const char *, QByteArray>> values)
    {
        for (const auto &[name, value] : values) {
            m_saved.push_back({name, qgetenv(name), qEnvironmentVariableIsSet(name)});
            value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
        }
    }
    ~ScopedEnvironment()
    {
        for (const Saved &saved : m_saved)
            saved.set ? qputenv(saved.name, saved.value) : qunsetenv(saved.name);
    }
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    struct Saved
    {
        const char *name;
        QByteArray value;
        bool set;
    };
    std::vector<Saved> m_saved;
};
