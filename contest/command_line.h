// The words of a command line, walked option by option: what the replay
// tool and the checker share in reading theirs.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

// A command line a program cannot run; it says what is wrong, for the
// program to print with its usage text.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CommandLineWalk {
public:
    explicit CommandLineWalk(const std::vector<std::string>& words) : words_(words) {}

    // Moves to the next word; false past the last one.
    bool next() { return ++at_ < words_.size(); }
    const std::string& word() const { return words_[at_]; }
    // "-x" or "--xyz"; a lone "-" is a file name.
    bool isOption() const { return word().size() > 1 && word()[0] == '-'; }

    // The word after the current option, taken as its value.  Throws
    // UsageError "OPTION needs a value" at the end of the line.
    const std::string& value()
    {
        if (at_ + 1 >= words_.size())
            throw UsageError(word() + " needs a value");
        return words_[++at_];
    }

private:
    const std::vector<std::string>& words_;
    std::size_t at_ = static_cast<std::size_t>(-1);
};
