#include "loader/core/Messages.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "loader/core/LoaderStrings.h"

namespace {

constexpr int kMessageBufferSize = 4096;
constexpr int kGenericMessage = 44062;

struct StatusArgs {
    std::optional<std::string> first;
    std::optional<std::string> second;
};

StatusArgs& Args() {
    static StatusArgs args;
    return args;
}

// Loader family, by status - 0x80041501; 0 where the status has no message.
constexpr int kLoaderMessages[] = {
    40024, 40026, 40028, 40030, 40032, 40033, 40034, 40035, 43064, 0,     0,     0,
    0,     0,     0,     43065, 43066, 0,     40036, 40039, 40037, 40040, 40038, 40041,
};

// Fills each "%s" of `text` in order with `values`; leaves the text as it is
// when any value is missing.
std::string FillStrings(const std::string& text,
                        std::initializer_list<const std::optional<std::string>*> values) {
    for (const auto* value : values)
        if (!value->has_value()) return text;
    std::string out;
    auto next = values.begin();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && next != values.end()) {
            out += **(*next++);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

std::string LoadMessage(int id) {
    if (id < 0) return {};
    char buffer[kMessageBufferSize];
    int length = LoadStringA(LoaderModule(), static_cast<unsigned>(id), buffer, kMessageBufferSize);
    return std::string(buffer, static_cast<std::size_t>(length));
}

std::string FormatString(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string out;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        out.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(args);
    return out;
}

void SetStatusArgs(const char* text1, const char* text2) {
    // Copies first: a caller may pass the text of an argument being replaced.
    std::optional<std::string> first = text1 ? std::optional<std::string>(text1) : std::nullopt;
    std::optional<std::string> second = text2 ? std::optional<std::string>(text2) : std::nullopt;
    Args().first = std::move(first);
    Args().second = std::move(second);
}

void ClearStatusArgs() {
    SetStatusArgs(nullptr, nullptr);
}

const std::optional<std::string>& StatusArg1() {
    return Args().first;
}

const std::optional<std::string>& StatusArg2() {
    return Args().second;
}

int MessageIdForStatus(Status status) {
    if (status >= 0) return 0;
    if (status <= kLoaderAborted) {
        if (status == kLoaderAborted) return 40022;
        std::int64_t i = static_cast<std::int64_t>(status) - kWlxOpenFailed;
        return (i >= 0 && i <= 23 && i != 22) ? 40000 + static_cast<int>(i) : kGenericMessage;
    }
    if (status <= kLoaderDwgOpenFailed) {
        if (status == kLoaderDwgOpenFailed) return 40042;
        std::int64_t i = static_cast<std::int64_t>(status) - kLoaderInfoNotApplicable;
        return (i >= 0 && i <= 23 && kLoaderMessages[i]) ? kLoaderMessages[i] : kGenericMessage;
    }
    if (status <= kKifOpenFailed) {
        if (status == kKifOpenFailed) return 42040;
        std::int64_t i = static_cast<std::int64_t>(status) - kSifOpenFailed;
        return (i >= 0 && i <= 15) ? 41024 + static_cast<int>(i) : kGenericMessage;
    }
    if (status <= -11) {
        std::int64_t i = static_cast<std::int64_t>(status) - kKifInvalidFormat;
        return (i >= 0 && i <= 16) ? 42041 + static_cast<int>(i) : kGenericMessage;
    }
    if (status >= kCmdWrongExtension) return 43058 + (kCmdInvalidFilterArea - status);
    return kGenericMessage;
}

std::string StatusMessage(Status status) {
    int id = MessageIdForStatus(status);
    std::string text = LoadMessage(id);
    const auto& first = StatusArg1();
    const auto& second = StatusArg2();
    switch (id) {
        case 40000:
        case 40017:
        case 41024:
        case 42040:
        case 43061:
        case 43062:
            if (first) text += *first;
            return text;
        case 40028:
        case 40036:
        case 40037:
        case 40039:
        case 40040:
        case 40042:
        case 43065:
            return FillStrings(text, {&first});
        case 43063:
            return FillStrings(text, {&first, &second});
        case 40038:
            return FillStrings(text, {&first, &second, &second});
        case kGenericMessage:
            return text + std::to_string(status);
        default:
            return text;
    }
}
