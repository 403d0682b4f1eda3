// Every constant of MessageIds.h is checked against its text while compiling;
// these tests hold the check itself and what Format accepts.
#include <gtest/gtest.h>

#include <string>

#include "loader/core/MessageFormat.h"
#include "loader/core/Messages.h"

namespace {

template <class Message, class... Passed>
concept Formattable = requires(Message message, Passed... args) {
    Format(message, args...);
};

}  // namespace

TEST(MessageFormatTest, ConversionsGiveTheirArgumentTypes) {
    struct Case {
        const char* text;
        const char* letters;  // null: a conversion the check refuses
    } cases[] = {
        {"no conversion", ""},
        {"100%% of %s", "s"},
        {"%i %d %hd %hhi %c", "iiiii"},
        {"%li %ld %u %x %lu %lX", "lluuLL"},
        {"%f %.2f %-12.4e %lg %+G %#a", "ffffff"},
        {" (%.*f, %*i)", "ifii"},
        {"[%-10s]", "s"},
        {"%lld", nullptr},
        {"%Lf", nullptr},
        {"%zu", nullptr},
        {"%ls", nullptr},
        {"%hf", nullptr},
        {"%p", nullptr},
        {"%n", nullptr},
        {"cut at the end %", nullptr},
        {"cut after its width %-5", nullptr},
        {"%i%i%i%i%i%i%i%i%i%i%i%i%i%i%i%i%i", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        FormatArgs args = ParseFormatArgs(c.text);
        EXPECT_EQ(args.valid, c.letters != nullptr);
        if (c.letters) {
            EXPECT_EQ(args.Letters(), std::string_view(c.letters));
        }
    }
}

TEST(MessageFormatTest, EveryTextOfTheTableHasConversionsTheCheckKnows) {
    for (const StringResource& r : kLoaderStrings)
        EXPECT_TRUE(ParseFormatArgs(r.text).valid) << r.id;
}

TEST(MessageFormatTest, AMessageMustBeInTheTableAndTakeItsDeclaredTypes) {
    static_assert(MessageTakes<long, long, long, long, long, long, long>(32015));
    static_assert(!MessageTakes<long, long, long, long, long, long, int>(32015));
    static_assert(!MessageTakes<long, long, long, long, long, long>(32015));
    static_assert(!MessageTakes<int>(32006));
    static_assert(!MessageTakes<>(12345));
    static_assert(MessageTakes<int, double, int, double, int, double, int, double>(50084));
    EXPECT_EQ(LoaderText(12345).data(), nullptr);
    EXPECT_EQ(LoaderText(kMsgProcessing.Id()), "Processing...");
}

TEST(MessageFormatTest, FormatTakesExactlyTheDeclaredTypes) {
    static_assert(Formattable<decltype(kMsgFeatureCount), long>);
    static_assert(!Formattable<decltype(kMsgFeatureCount), int>);
    static_assert(!Formattable<decltype(kMsgFeatureCount), long, long>);
    static_assert(!Formattable<decltype(kMsgProcessingTime), float>);
    static_assert(Formattable<decltype(kMsgFileVersion), const char*>);
    static_assert(Formattable<decltype(kMsgFileVersion), char*>);
    static_assert(!Formattable<decltype(kMsgFileVersion), std::string>);
    static_assert(!Formattable<decltype(kMsgFileVersion), int>);
    EXPECT_EQ(Format(kMsgSifExtents, 1, -1.25, 2, 2.0, 0, 3.5, 3, 4.0),
              " SIF Extents : (-1.2, 2.00, 4, 4.000)\n");
    EXPECT_EQ(Format(kMsgTableEntry, 2, "Roads"), "\nTable[2] : Roads\n");
}
