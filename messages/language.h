// The two languages the contest's programs speak.
#pragma once

enum class Language { English, Russian };
