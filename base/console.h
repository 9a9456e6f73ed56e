// What the programs print on a console.
#pragma once

#include <cstdio>
#include <string>

// Whether `stream` is a terminal a person watches, not a file or a pipe.
bool isTerminal(std::FILE* stream);

// The plug-in's texts end their lines in CR LF; a Windows console adds its
// own CR, and a Linux one shows the CR as a stray character.
std::string withoutCarriageReturns(std::string text);
