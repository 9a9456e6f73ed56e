// Settings through the platform's own private-profile functions.
#pragma once

#include "contest/settings.h"

class PrivateProfileSettings final : public Settings {
public:
    std::string read(const char* key, const char* defaultValue = "") const override;
    void write(const char* key, const std::string& value) override;
};
