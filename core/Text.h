#pragma once

#include <string>
#include <string_view>

// The program keeps texts as UTF-16; files, the network and the engine get
// 8-bit text in the locale's charset, which is UTF-8 here.
std::string toUtf8(std::u16string_view text);
// Invalid UTF-8 bytes are taken one by one as Latin-1, so no byte is lost.
std::u16string fromUtf8(std::string_view text);
std::u16string u16(std::string_view ascii); // short form for literals in code and tests
// Without blanks, tabs and carriage returns at both ends (for configuration lines).
std::string trimmed(std::string_view text);
