#include "robot/session_book.h"

#include <sodium.h>

namespace {

std::string tokenHash(const std::string& token)
{
    unsigned char hash[crypto_generichash_BYTES];
    crypto_generichash(hash, sizeof hash, reinterpret_cast<const unsigned char*>(token.data()), token.size(), nullptr,
                       0);
    char hex[sizeof hash * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, hash, sizeof hash);
    return hex;
}

}  // namespace

void SessionBook::keep(const std::string& token, std::time_t expiresAt)
{
    Statement forget(db_, "DELETE FROM sessions WHERE expires_at <= ?");
    forget.bind(1, static_cast<long long>(std::time(nullptr)));
    forget.step();
    Statement insert(db_, "INSERT INTO sessions(token_hash, expires_at) VALUES(?, ?)");
    insert.bind(1, tokenHash(token));
    insert.bind(2, static_cast<long long>(expiresAt));
    insert.step();
}

bool SessionBook::isLive(const std::string& token, std::time_t now)
{
    if (token.empty())
        return false;
    Statement query(db_, "SELECT 1 FROM sessions WHERE token_hash = ? AND expires_at > ?");
    query.bind(1, tokenHash(token));
    query.bind(2, static_cast<long long>(now));
    return query.step();
}

void SessionBook::drop(const std::string& token)
{
    Statement remove(db_, "DELETE FROM sessions WHERE token_hash = ?");
    remove.bind(1, tokenHash(token));
    remove.step();
}
