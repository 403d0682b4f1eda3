#include <gtest/gtest.h>

#include <string>

#include "loader/core/Messages.h"

namespace {

struct StatusArgsScope {
    StatusArgsScope(const char* a, const char* b) { SetStatusArgs(a, b); }
    ~StatusArgsScope() { ClearStatusArgs(); }
};

}  // namespace

TEST(MessagesTest, EveryStatusMapsToItsMessage) {
    struct Case {
        Status status;
        int id;
    } cases[] = {
        {0, 0},
        {kWlxEndOfData, 0},
        {kLoaderNoMoreObjects, 0},
        {kWlxOpenFailed, 40000},
        {kWlxInvalidFormat, 40001},
        {kWlxReadError, 40002},
        {kWlxWriteError, 40003},
        {kWlxInvalidVersion, 40004},
        {kWlxReadOnly, 40005},
        {kWlxSearchNotInitialized, 40006},
        {kWlxInvalidParameter, 40007},
        {kWlxInvalidOffset, 40008},
        {kWlxInvalidObjectType, 40009},
        {kWlxInvalidPrecision, 40010},
        {kWlxInvalidElement, 40011},
        {kWlxElementAlreadyDefined, 40012},
        {kWlxTooComplex, 40013},
        {kWlxBadFormat, 40014},
        {kWlxUnexpectedEof, 40015},
        {kWlxNotSupported, 40016},
        {kWlxFileNotFound, 40017},
        {kWlxOutOfMemory, 40018},
        {kWlxIllegalCall, 40019},
        {kWlxNoObjects, 40020},
        {kWlxObjectNotFound, 40021},
        {MakeStatus(0x80041016u), 44062},
        {kWlxPrecisionMismatch, 40023},
        {MakeStatus(0x80041018u), 44062},
        {kLoaderAborted, 40022},
        {kLoaderInfoNotApplicable, 40024},
        {kLoaderBadColumnOrTable, 40026},
        {kLoaderCoordSysNotFound, 40028},
        {kLoaderCannotLoadData, 40030},
        {kLoaderLibraryNotFound, 40032},
        {kLoaderLibraryIncompatible, 40033},
        {kLoader3dNotSupported, 40034},
        {kLoaderCoordSysMismatch, 40035},
        {kLoaderComUnavailable, 43064},
        {MakeStatus(0x8004150Au), 44062},
        {MakeStatus(0x8004150Fu), 44062},
        {kLoaderReadAccessDenied, 43065},
        {kLoaderOutputExists, 43066},
        {kLoaderSkipObject, 44062},
        {kLoaderInputReadError, 40036},
        {kLoaderWlxMetadataReadError, 40039},
        {kLoaderWltMetadataReadError, 40037},
        {kLoaderWltMetadataWriteError, 40040},
        {kLoaderOutputCoordSysMismatch, 40038},
        {kLoaderWltPointCountError, 40041},
        {kLoaderNoAttributeData, 44062},
        {MakeStatus(0x80041520u), 44062},
        {kLoaderDwgOpenFailed, 40042},
        {kSifOpenFailed, 41024},
        {kSifInvalidFormat, 41025},
        {kSifReadError, 41026},
        {kSifWriteError, 41027},
        {kSifInvalidVersion, 41028},
        {kSifReadOnly, 41029},
        {kSifSearchNotInitialized, 41030},
        {kSifInvalidParameter, 41031},
        {kSifObjectNotFound, 41032},
        {kSifInvalidNodeExtent, 41033},
        {kSifBadFeatureCount, 41034},
        {kSifInvalidNodeOffset, 41035},
        {kSifNodeUnderflow, 41036},
        {kSifTempCreateFailed, 41037},
        {kSifTempWriteError, 41038},
        {kSifReplaceFailed, 41039},
        {MakeStatus(0x80042010u), 44062},
        {kKifOpenFailed, 42040},
        {kKifInvalidFormat, 42041},
        {kKifReadError, 42042},
        {kKifWriteError, 42043},
        {kKifInvalidVersion, 42044},
        {kKifReadOnly, 42045},
        {kKifSearchNotInitialized, 42046},
        {kKifInvalidParameter, 42047},
        {kKifObjectNotFound, 42048},
        {kKifDuplicateObject, 42049},
        {kKifBadFeatureCount, 42050},
        {kKifInvalidNodeOffset, 42051},
        {kKifNodeUnderflow, 42052},
        {kKifTempCreateFailed, 42053},
        {kKifTempWriteError, 42054},
        {kKifReplaceFailed, 42055},
        {kKifKeyTooLong, 42056},
        {kKifKeysNotOrdered, 42057},
        {MakeStatus(0x80043012u), 44062},
        {kCmdInvalidFilterArea, 43058},
        {kCmdSyntaxError, 43059},
        {kCmdInvalidPrecision, 43060},
        {kCmdInvalidParameter, 43061},
        {kCmdInvalidSwitch, 43062},
        {kCmdWrongExtension, 43063},
        {kCmdInvalidInputType, 44062},
        {kCmdInvalidOutputType, 44062},
        {kCmdDuplicateFileName, 44062},
        {kCmdUserQuit, 44062},
        {-11, 44062},
        {MakeStatus(0x80070057u), 44062},
        {MakeStatus(0x80000000u), 44062},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MessageIdForStatus(c.status), c.id) << std::hex << c.status;
        if (c.id) {
            EXPECT_FALSE(LoadMessage(c.id).empty()) << c.id;
        }
    }
}

TEST(MessagesTest, ArgumentsGoWhereTheMessageSays) {
    struct Case {
        Status status;
        const char* arg1;
        const char* arg2;
        std::string expected;
    } cases[] = {
        {kCmdInvalidSwitch, "/FOO", nullptr, "*Error* : Invalid switch: /FOO"},
        {kCmdInvalidSwitch, nullptr, nullptr, "*Error* : Invalid switch: "},
        {kWlxOpenFailed, "a.wlx", "ignored", "*Error* : Unable to open the file: a.wlx"},
        {kLoaderCoordSysNotFound, "UTM83-10", nullptr,
         "*Error* : The desired coordinate system, UTM83-10, was not\n          found, or cannot "
         "be used."},
        {kLoaderCoordSysNotFound, nullptr, nullptr,
         "*Error* : The desired coordinate system, %s, was not\n          found, or cannot be "
         "used."},
        {kLoaderDwgOpenFailed, "a%sb.dwg", nullptr,
         "*Error* : Unable to open DWG file \"a%sb.dwg\". Please ensure the folder is writable and "
         "the file has "
         "read access."},
        {kCmdWrongExtension, "in.txt", ".mif",
         "*Error* : The specified input filename does not have the\n"
         "          expected file extension for the selected input format.\n"
         "          If you have specified a file with a valid extension, please\n"
         "          check that you have not neglected to precede any of the\n"
         "          other switches with a / character.\n\n"
         "          User specified filename: in.txt\n"
         "          Expected file extension: .mif\n\n"
         "          To override file extension checking, use the /NOEXT switch.\n"},
        {kLoaderOutputCoordSysMismatch, "A", "B",
         "*Error* : The coordinate system of the output data (A) is different from the output "
         "file's existing "
         "coordinate system (B). Processing has stopped. Use the /COORDSYS switch and set the OUT "
         "option to (B)."},
        {kLoaderOutputCoordSysMismatch, "A", nullptr,
         "*Error* : The coordinate system of the output data (%s) is different from the output "
         "file's existing "
         "coordinate system (%s). Processing has stopped. Use the /COORDSYS switch and set the OUT "
         "option to (%s)."},
        {MakeStatus(0x80041016u), nullptr, nullptr,
         "*Error* : The WLX Loader failed with an error code of: -2147217386"},
        {kCmdInvalidOutputType, "x", nullptr,
         "*Error* : The WLX Loader failed with an error code of: -8"},
        {kWlxReadError, "x", nullptr, "*Error* : An error occurred reading from the file."},
    };
    for (const auto& c : cases) {
        StatusArgsScope args(c.arg1, c.arg2);
        EXPECT_EQ(StatusMessage(c.status), c.expected) << std::hex << c.status;
    }
}

TEST(MessagesTest, StatusArgumentsCopyBeforeTheyReplace) {
    SetStatusArgs("first", "second");
    SetStatusArgs(StatusArg2()->c_str(), StatusArg1()->c_str());
    EXPECT_EQ(*StatusArg1(), "second");
    EXPECT_EQ(*StatusArg2(), "first");
    SetStatusArgs(nullptr, "x");
    EXPECT_FALSE(StatusArg1().has_value());
    ClearStatusArgs();
    EXPECT_FALSE(StatusArg2().has_value());
}

TEST(MessagesTest, LoadsTextsAndFormats) {
    EXPECT_EQ(LoadMessage(kMsgOperatorNewFailed), "*Error* : Operator new failed : out of store\n");
    EXPECT_EQ(LoadMessage(12345), "");
    EXPECT_EQ(Format(kMsgInvalidSwitchUsingDefault, "TX", "TM"),
              "Warning : The input switch /TX is invalid.  Using default switch /TM.");
    EXPECT_EQ(FormatString("%s", std::string(5000, 'x').c_str()).size(), 5000u);
}
