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

void forEachOneEditFrom(const std::string& call, const std::function<void(const std::string&)>& visit)
{
    static const std::string kCharacters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/";
    for (std::size_t i = 0; i <= call.size(); ++i) {
        for (char c : kCharacters) {
            visit(call.substr(0, i) + c + call.substr(i));
            if (i < call.size())
                visit(call.substr(0, i) + c + call.substr(i + 1));
        }
        if (i < call.size())
            visit(call.substr(0, i) + call.substr(i + 1));
        if (i + 1 < call.size())
            visit(call.substr(0, i) + call[i + 1] + call[i] + call.substr(i + 2));
    }
}
