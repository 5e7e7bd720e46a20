#pragma once

#include <string>
#include <string_view>

// Values in the web services' replies stand between "<name>" and "</name>".
// Both tags are searched from the start of the text: only the first element
// of a name can be read; callers remove what they have read to go on.
std::u16string ExtractTag(std::u16string_view text, std::u16string_view name);

// Trims white space at both ends.
std::u16string TrimWhiteSpace(std::u16string_view text);
// Trims carriage returns and line feeds at both ends.
std::u16string TrimLineBreaks(std::u16string_view text);
// Both, in that order, as the balance and call-record replies are cleaned.
inline std::u16string TrimReply(std::u16string_view text) {
    return TrimLineBreaks(TrimWhiteSpace(text));
}

// Every occurrence of `what` removed (or replaced), scanning once from the start.
std::u16string ReplaceAll(std::u16string text, std::u16string_view what, std::u16string_view with);

// A decimal number: leading white space skipped, digits until the first other
// character; an empty or non-numeric text is 0.
int ParseDecimal(std::u16string_view text);
