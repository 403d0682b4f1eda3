// The status codes every subsystem shares: 0 is success, positive codes end
// the input, negative codes are failures. Each family is owned by one
// subsystem; the mapping to messages lives in the loader's Messages.cpp.
// 0x80044000 to 0x80044FFF belong to the WKT reader and writer
// (coordsys/CsWktStatus.h), which have no messages of their own: their
// callers word them.
#pragma once

#include <cstdint>

using Status = std::int32_t;

constexpr Status MakeStatus(std::uint32_t bits) {
    return static_cast<Status>(bits);
}

// Native file format and the loader's file classes.
enum EWlxReturnCode : Status {
    kWlxEndOfData = 0x00041000,
    kWlxOpenFailed = MakeStatus(0x80041000u),
    kWlxInvalidFormat = MakeStatus(0x80041001u),
    kWlxReadError = MakeStatus(0x80041002u),
    kWlxWriteError = MakeStatus(0x80041003u),
    kWlxInvalidVersion = MakeStatus(0x80041004u),
    kWlxReadOnly = MakeStatus(0x80041005u),
    kWlxSearchNotInitialized = MakeStatus(0x80041006u),
    kWlxInvalidParameter = MakeStatus(0x80041007u),
    kWlxInvalidOffset = MakeStatus(0x80041008u),
    kWlxInvalidObjectType = MakeStatus(0x80041009u),
    kWlxInvalidPrecision = MakeStatus(0x8004100Au),
    kWlxInvalidElement = MakeStatus(0x8004100Bu),
    kWlxElementAlreadyDefined = MakeStatus(0x8004100Cu),
    kWlxTooComplex = MakeStatus(0x8004100Du),
    kWlxBadFormat = MakeStatus(0x8004100Eu),
    kWlxUnexpectedEof = MakeStatus(0x8004100Fu),
    kWlxNotSupported = MakeStatus(0x80041010u),
    kWlxFileNotFound = MakeStatus(0x80041011u),
    kWlxOutOfMemory = MakeStatus(0x80041012u),
    kWlxIllegalCall = MakeStatus(0x80041013u),
    kWlxNoObjects = MakeStatus(0x80041014u),
    kWlxObjectNotFound = MakeStatus(0x80041015u),
    kWlxPrecisionMismatch = MakeStatus(0x80041017u),
    // No message of its own: reported with the generic failure message.
    kWlxTooManyParts = MakeStatus(0x80041021u),
};

// Loader core, readers and writers.
enum ELoaderReturnCode : Status {
    // A reader has no further object although its input is not exhausted.
    kLoaderNoMoreObjects = 0x00041500,
    kLoaderEndOfData = kLoaderNoMoreObjects,
    kLoaderAborted = MakeStatus(0x80041500u),
    kLoaderInfoNotApplicable = MakeStatus(0x80041501u),
    kLoaderBadColumnOrTable = MakeStatus(0x80041502u),
    kLoaderCoordSysNotFound = MakeStatus(0x80041503u),
    kLoaderCannotLoadData = MakeStatus(0x80041504u),
    kLoaderLibraryNotFound = MakeStatus(0x80041505u),
    kLoaderLibraryIncompatible = MakeStatus(0x80041506u),
    kLoader3dNotSupported = MakeStatus(0x80041507u),
    kLoaderCoordSysMismatch = MakeStatus(0x80041508u),
    kLoaderComUnavailable = MakeStatus(0x80041509u),
    kLoaderReadAccessDenied = MakeStatus(0x80041510u),
    kLoaderOutputExists = MakeStatus(0x80041511u),
    kLoaderSkipObject = MakeStatus(0x80041512u),
    kLoaderInputReadError = MakeStatus(0x80041513u),
    kLoaderWlxMetadataReadError = MakeStatus(0x80041514u),
    kLoaderWltMetadataReadError = MakeStatus(0x80041515u),
    kLoaderWltMetadataWriteError = MakeStatus(0x80041516u),
    kLoaderOutputCoordSysMismatch = MakeStatus(0x80041517u),
    kLoaderWltPointCountError = MakeStatus(0x80041518u),
    kLoaderNoAttributeData = MakeStatus(0x80041519u),
    kLoaderDwgOpenFailed = MakeStatus(0x80041521u),
};

// Spatial index (.sif).
enum ESifReturnCode : Status {
    kSifOpenFailed = MakeStatus(0x80042000u),
    kSifInvalidFormat = MakeStatus(0x80042001u),
    kSifReadError = MakeStatus(0x80042002u),
    kSifWriteError = MakeStatus(0x80042003u),
    kSifInvalidVersion = MakeStatus(0x80042004u),
    kSifReadOnly = MakeStatus(0x80042005u),
    kSifSearchNotInitialized = MakeStatus(0x80042006u),
    kSifInvalidParameter = MakeStatus(0x80042007u),
    kSifObjectNotFound = MakeStatus(0x80042008u),
    kSifInvalidNodeExtent = MakeStatus(0x80042009u),
    kSifBadFeatureCount = MakeStatus(0x8004200Au),
    kSifInvalidNodeOffset = MakeStatus(0x8004200Bu),
    kSifNodeUnderflow = MakeStatus(0x8004200Cu),
    kSifTempCreateFailed = MakeStatus(0x8004200Du),
    kSifTempWriteError = MakeStatus(0x8004200Eu),
    kSifReplaceFailed = MakeStatus(0x8004200Fu),
};

// Key index (.kif).
enum EKifReturnCode : Status {
    kKifOpenFailed = MakeStatus(0x80043000u),
    kKifInvalidFormat = MakeStatus(0x80043001u),
    kKifReadError = MakeStatus(0x80043002u),
    kKifWriteError = MakeStatus(0x80043003u),
    kKifInvalidVersion = MakeStatus(0x80043004u),
    kKifReadOnly = MakeStatus(0x80043005u),
    kKifSearchNotInitialized = MakeStatus(0x80043006u),
    kKifInvalidParameter = MakeStatus(0x80043007u),
    kKifObjectNotFound = MakeStatus(0x80043008u),
    kKifDuplicateObject = MakeStatus(0x80043009u),
    kKifBadFeatureCount = MakeStatus(0x8004300Au),
    kKifInvalidNodeOffset = MakeStatus(0x8004300Bu),
    kKifNodeUnderflow = MakeStatus(0x8004300Cu),
    kKifTempCreateFailed = MakeStatus(0x8004300Du),
    kKifTempWriteError = MakeStatus(0x8004300Eu),
    kKifReplaceFailed = MakeStatus(0x8004300Fu),
    kKifKeyTooLong = MakeStatus(0x80043010u),
    kKifKeysNotOrdered = MakeStatus(0x80043011u),
};

// Command line and run set-up.
enum ECommandLineCode : Status {
    kCmdInvalidFilterArea = -1,
    kCmdSyntaxError = -2,
    kCmdInvalidPrecision = -3,
    kCmdInvalidParameter = -4,
    kCmdInvalidSwitch = -5,
    kCmdWrongExtension = -6,
    kCmdInvalidInputType = -7,
    kCmdInvalidOutputType = -8,
    kCmdDuplicateFileName = -9,
    kCmdUserQuit = -10,
};
