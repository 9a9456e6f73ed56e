#include "checker/call_edits.h"

bool oneEditApart(const std::string& a, const std::string& b)
{
    if (a == b)
        return false;
    const std::string& shorter = a.size() <= b.size() ? a : b;
    const std::string& longer = a.size() <= b.size() ? b : a;
    if (longer.size() - shorter.size() > 1)
        return false;
    std::size_t i = 0;
    while (i < shorter.size() && shorter[i] == longer[i])
        ++i;
    if (shorter.size() == longer.size()) {
        if (shorter.compare(i + 1, std::string::npos, longer, i + 1, std::string::npos) == 0)
            return true;
        return i + 1 < shorter.size() && shorter[i] == longer[i + 1] && shorter[i + 1] == longer[i] &&
               shorter.compare(i + 2, std::string::npos, longer, i + 2, std::string::npos) == 0;
    }
    return shorter.compare(i, std::string::npos, longer, i + 1, std::string::npos) == 0;
}

// One text, edited in place for each variant and put back: a call of
// eight characters has some six hundred variants, looked up for every
// line whose call no other log holds.
void forEachOneEditFrom(const std::string& call, const std::function<void(const std::string&)>& visit)
{
    static const std::string kCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/";
    std::string variant = call;
    variant.reserve(call.size() + 1);
    for (std::size_t i = 0; i <= call.size(); ++i) {
        for (char c : kCharacters) {
            variant.insert(variant.begin() + static_cast<std::ptrdiff_t>(i), c);
            visit(variant);
            variant.erase(i, 1);
            if (i < call.size()) {
                variant[i] = c;
                visit(variant);
                variant[i] = call[i];
            }
        }
        if (i < call.size()) {
            variant.erase(i, 1);
            visit(variant);
            variant.insert(variant.begin() + static_cast<std::ptrdiff_t>(i), call[i]);
        }
        if (i + 1 < call.size()) {
            std::swap(variant[i], variant[i + 1]);
            visit(variant);
            std::swap(variant[i], variant[i + 1]);
        }
    }
}
