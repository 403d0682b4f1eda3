#include "loader/core/Messages.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "loader/core/LoaderStrings.h"

namespace {

constexpr int kMessageBufferSize = 4096;

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
    kMsgInfoNotApplicable.Id(),
    kMsgBadColumnOrTable.Id(),
    kMsgCoordSysNotFound.Id(),
    kMsgCannotLoadData.Id(),
    kMsgLibraryNotFound.Id(),
    kMsgLibraryIncompatible.Id(),
    kMsg3dNotSupported.Id(),
    kMsgCoordSysMismatch.Id(),
    kMsgComUnavailable.Id(),
    0,
    0,
    0,
    0,
    0,
    0,
    kMsgReadAccessDenied.Id(),
    kMsgOutputExists.Id(),
    0,
    kMsgInputReadError.Id(),
    kMsgWlxMetadataReadError.Id(),
    kMsgWltMetadataReadError.Id(),
    kMsgWltMetadataWriteError.Id(),
    kMsgOutputCoordSysMismatch.Id(),
    kMsgWltPointCountError.Id(),
};

// Fills each "%s" of the message's text in order with `values`, one for each
// text it declares; leaves the text as it is when any value is missing.
template <class... Args, class... Values>
requires(sizeof...(Args) == sizeof...(Values) && (std::same_as<Args, const char*> && ...) &&
         (std::same_as<Values, std::optional<std::string>> && ...)) std::string
    FillStrings(const CMessage<Args...>& message, const Values&... values) {
    std::string text = LoadMessage(message.Id());
    if (!(values.has_value() && ...)) return text;
    const std::string* filling[] = {&*values...};
    std::string out;
    std::size_t next = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' &&
            next < sizeof...(Values)) {
            out += *filling[next++];
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

void SetReadErrorArgs(const std::string& file, std::int64_t line) {
    SetStatusArgs(file.c_str(), std::to_string(line).c_str());
}

const std::optional<std::string>& StatusArg1() {
    return Args().first;
}

const std::optional<std::string>& StatusArg2() {
    return Args().second;
}

int MessageIdForStatus(Status status) {
    constexpr int kGeneric = kMsgFailedWithErrorCode.Id();
    if (status >= 0) return 0;
    if (status <= kLoaderAborted) {
        if (status == kLoaderAborted) return kMsgHaltingProcessing.Id();
        std::int64_t i = static_cast<std::int64_t>(status) - kWlxOpenFailed;
        return (i >= 0 && i <= 23 && i != 22) ? kMsgUnableToOpenFile.Id() + static_cast<int>(i)
                                              : kGeneric;
    }
    if (status <= kLoaderDwgOpenFailed) {
        if (status == kLoaderDwgOpenFailed) return kMsgDwgOpenFailed.Id();
        std::int64_t i = static_cast<std::int64_t>(status) - kLoaderInfoNotApplicable;
        return (i >= 0 && i <= 23 && kLoaderMessages[i]) ? kLoaderMessages[i] : kGeneric;
    }
    if (status <= kKifOpenFailed) {
        if (status == kKifOpenFailed) return kMsgUnableToOpenKif.Id();
        std::int64_t i = static_cast<std::int64_t>(status) - kSifOpenFailed;
        return (i >= 0 && i <= 15) ? kMsgUnableToOpenSif.Id() + static_cast<int>(i) : kGeneric;
    }
    if (status <= -11) {
        std::int64_t i = static_cast<std::int64_t>(status) - kKifInvalidFormat;
        return (i >= 0 && i <= 16) ? kMsgInvalidKifFormat.Id() + static_cast<int>(i) : kGeneric;
    }
    if (status >= kCmdWrongExtension)
        return kMsgInvalidFilterArea.Id() + (kCmdInvalidFilterArea - status);
    return kGeneric;
}

std::string StatusMessage(Status status) {
    int id = MessageIdForStatus(status);
    std::string text = LoadMessage(id);
    const auto& first = StatusArg1();
    const auto& second = StatusArg2();
    switch (id) {
        case kMsgUnableToOpenFile.Id():
        case kMsgUnableToFindInputFile.Id():
        case kMsgUnableToOpenSif.Id():
        case kMsgUnableToOpenKif.Id():
        case kMsgInvalidCommandLineParameter.Id():
        case kMsgInvalidSwitch.Id():
            if (first) text += *first;
            return text;
        case kMsgReadError.Id():
            // The file and the line at fault, where the reader knows them.
            if (first && second) text += "\n          " + *first + ", line " + *second;
            return text;
        case kMsgCoordSysNotFound.Id():
            return FillStrings(kMsgCoordSysNotFound, first);
        case kMsgInputReadError.Id():
            return FillStrings(kMsgInputReadError, first);
        case kMsgWltMetadataReadError.Id():
            return FillStrings(kMsgWltMetadataReadError, first);
        case kMsgWlxMetadataReadError.Id():
            return FillStrings(kMsgWlxMetadataReadError, first);
        case kMsgWltMetadataWriteError.Id():
            return FillStrings(kMsgWltMetadataWriteError, first);
        case kMsgDwgOpenFailed.Id():
            return FillStrings(kMsgDwgOpenFailed, first);
        case kMsgReadAccessDenied.Id():
            return FillStrings(kMsgReadAccessDenied, first);
        case kMsgWrongExtension.Id():
            return FillStrings(kMsgWrongExtension, first, second);
        case kMsgOutputCoordSysMismatch.Id():
            return FillStrings(kMsgOutputCoordSysMismatch, first, second, second);
        case kMsgFailedWithErrorCode.Id():
            return text + std::to_string(status);
        default:
            return text;
    }
}
