#include "robot/organiser_auth.h"

#include <sodium.h>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int kFreeAttempts = 5;
constexpr auto kFirstWait = std::chrono::seconds(30);
constexpr auto kLongestWait = std::chrono::minutes(15);
constexpr auto kSessionLife = std::chrono::hours(12);
// Each hash holds 64 MB for a tenth of a second.
constexpr int kHashesAtOnce = 2;

void initialiseSodium()
{
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium cannot start");
}

}  // namespace

std::string randomToken(std::size_t bytes)
{
    initialiseSodium();
    std::string raw(bytes, '\0');
    randombytes_buf(raw.data(), raw.size());
    std::string hex(bytes * 2 + 1, '\0');
    sodium_bin2hex(hex.data(), hex.size(), reinterpret_cast<const unsigned char*>(raw.data()), raw.size());
    hex.pop_back();
    return hex;
}

bool sameToken(const std::string& a, const std::string& b)
{
    return !a.empty() && a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

std::string hashPassword(const std::string& password)
{
    initialiseSodium();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        throw std::runtime_error("not enough memory to hash the password");
    return hash;
}

bool OrganiserAuth::takeAttempt(const std::string& address, Clock::time_point now)
{
    std::lock_guard<std::mutex> lock(mutex_);
    Failures& failures = failures_[address];
    // Attempts under way may all prove wrong: together with the wrong ones
    // so far they stay within the free attempts, or one at a time after a wait.
    const int mayBeChecked = std::max(kFreeAttempts - failures.count, 1);
    if (failures.lockedUntil > now || failures.beingChecked >= mayBeChecked)
        return false;
    ++failures.beingChecked;
    return true;
}

bool OrganiserAuth::passwordIsRight(const std::string& password)
{
    if (passwordHash_.empty())
        return false;
    initialiseSodium();
    std::unique_lock<std::mutex> turn(hashingMutex_);
    hashingDone_.wait(turn, [this] { return hashing_ < kHashesAtOnce; });
    ++hashing_;
    turn.unlock();
    const bool right = crypto_pwhash_str_verify(passwordHash_.c_str(), password.data(), password.size()) == 0;
    turn.lock();
    --hashing_;
    hashingDone_.notify_one();
    return right;
}

OrganiserAuth::Login OrganiserAuth::logIn(const std::string& address, const std::string& password, std::string& session,
                                          Clock::time_point now)
{
    if (!takeAttempt(address, now))
        return Login::Throttled;
    // Hashing takes a tenth of a second and much memory: done outside the
    // lock, so one attempt does not hold up the others' session checks.
    const bool right = passwordIsRight(password);
    std::lock_guard<std::mutex> lock(mutex_);
    Failures& failures = failures_[address];
    --failures.beingChecked;
    if (!right) {
        if (++failures.count >= kFreeAttempts) {
            const int doublings = std::min(failures.count - kFreeAttempts, 5);
            failures.lockedUntil = now + std::min<Clock::duration>(kFirstWait * (1 << doublings), kLongestWait);
        }
        return Login::Wrong;
    }
    if (failures.beingChecked == 0)
        failures_.erase(address);
    else
        failures = Failures{0, failures.beingChecked, {}};
    session = randomToken();
    sessions_.keep(bookedAs(session), Clock::to_time_t(now + kSessionLife));
    return Login::Ok;
}

long long OrganiserAuth::secondsToWait(const std::string& address, Clock::time_point now)
{
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = failures_.find(address);
    if (found == failures_.end())
        return 0;
    if (found->second.lockedUntil <= now)
        return found->second.beingChecked > 0 ? 1 : 0;
    return std::chrono::ceil<std::chrono::seconds>(found->second.lockedUntil - now).count();
}

// The book keeps a session under the password's hash as well as its token:
// a new password in the config ends every session opened with the old one,
// as a restart did when sessions lived in memory.
std::string OrganiserAuth::bookedAs(const std::string& token) const
{
    return passwordHash_ + "\n" + token;
}

bool OrganiserAuth::isSession(const std::string& token, Clock::time_point now)
{
    return !token.empty() && sessions_.isLive(bookedAs(token), Clock::to_time_t(now));
}

void OrganiserAuth::logOut(const std::string& token)
{
    sessions_.drop(bookedAs(token));
}
