// The host version text for the Cabrillo "CREATED-BY:" line.
#pragma once

#include <string>

// From "Vexo2.exe" when it can be opened, else from "Vexo3.exe"; empty when
// neither carries a version resource.
std::string readHostVersionText();
