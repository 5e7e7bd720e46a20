#include "TaggedText.h"

#include <algorithm>
#include <climits>

namespace {

bool isWhiteSpace(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f' || c == 0x85 ||
           c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

template <typename Predicate> std::u16string trim(std::u16string_view text, Predicate drop) {
    std::size_t first = 0, last = text.size();
    while (first < last && drop(text[first]))
        ++first;
    while (last > first && drop(text[last - 1]))
        --last;
    return std::u16string(text.substr(first, last - first));
}

} // namespace

std::u16string ExtractTag(std::u16string_view text, std::u16string_view name) {
    const std::u16string opening = u"<" + std::u16string(name) + u">";
    const std::u16string closing = u"</" + std::u16string(name) + u">";
    const auto open = text.find(opening);
    const auto close = text.find(closing);
    if (open == std::u16string_view::npos || close == std::u16string_view::npos ||
        close < open + opening.size())
        return {};
    return std::u16string(text.substr(open + opening.size(), close - open - opening.size()));
}

std::u16string TrimWhiteSpace(std::u16string_view text) {
    return trim(text, isWhiteSpace);
}

std::u16string TrimLineBreaks(std::u16string_view text) {
    return trim(text, [](char16_t c) { return c == u'\r' || c == u'\n'; });
}

std::u16string ReplaceAll(std::u16string text, std::u16string_view what, std::u16string_view with) {
    if (what.empty())
        return text;
    std::u16string result;
    std::size_t from = 0;
    for (auto at = text.find(what); at != std::u16string::npos; at = text.find(what, from)) {
        result.append(text, from, at - from);
        result.append(with);
        from = at + what.size();
    }
    result.append(text, from);
    return result;
}

int ParseDecimal(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isWhiteSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
        value = std::min<long long>(value * 10 + (text[i] - u'0'), INT_MAX);
    return static_cast<int>(negative ? -value : value);
}
