#pragma once

#include <QString>

#include <optional>

// Where passwords and passphrases are kept: the desktop's secret store (the Secret Service, KWallet,
// through QtKeychain), never a file of ours. Without a store (none running, or none wanted), a
// secret is kept in this process's memory only, for the rest of the session.
class SecretKeeper
{
public:
    enum class Store { Desktop, SessionOnly };
    explicit SecretKeeper(Store store = Store::Desktop);

    // The secret kept under `key`: in the store, else in this session's memory.
    std::optional<QString> find(const QString &key);
    // Keeps `secret` in the store, or, with `inStore` false (or no store), in memory only.
    void keep(const QString &key, const QString &secret, bool inStore = true);
    // Forgets a secret the server refused, here and in the store.
    void forget(const QString &key);
    // False once the desktop's store was found missing (or was never to be used).
    bool storeAvailable() const { return m_store == Store::Desktop; }

private:
    Store m_store;
};
