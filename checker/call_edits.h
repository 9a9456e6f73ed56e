// Calls one operator's slip apart: a character changed, dropped, added, or
// two neighbours swapped.
#pragma once

#include <functional>
#include <string>

// True when one edit turns `a` into `b`; false for equal calls.
bool oneEditApart(const std::string& a, const std::string& b);

// Calls `visit` with every text one edit from `call` over the characters a
// call is written in, some more than once and `call` itself among them; the
// order is fixed.
void forEachOneEditFrom(const std::string& call, const std::function<void(const std::string&)>& visit);
