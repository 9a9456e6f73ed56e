// The language an operator reads: the system's UI language when it is Russian, English otherwise.
#pragma once

enum class Language { English, Russian };
