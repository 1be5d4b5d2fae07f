#include "platform/translate.h"

#include <vector>

namespace dorvik::platform {

namespace {

TranslateHook &hook() {
    static TranslateHook installed;
    return installed;
}

} // namespace

void setTranslateHook(TranslateHook newHook) {
    hook() = std::move(newHook);
}

std::string translated(const char *context, const char *text) {
    if (hook()) {
        std::string translated = hook()(context, text);
        if (!translated.empty())
            return translated;
    }
    return text;
}

std::string fill(std::string_view text, std::initializer_list<std::string_view> values) {
    const std::vector<std::string_view> byNumber(values);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
            const std::size_t n = static_cast<std::size_t>(text[i + 1] - '1');
            if (n < byNumber.size()) {
                out += byNumber[n];
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

} // namespace dorvik::platform
