// The messages of the loader's string table that the code names, each with
// the argument types its text's printf conversions take. Defining a constant
// checks, while compiling, that the table holds its id and that its text takes
// exactly those arguments; Format (Messages.h) takes exactly those types.
#pragma once

#include <algorithm>
#include <string_view>

#include "loader/core/LoaderStrings.h"
#include "loader/core/MessageFormat.h"

constexpr bool LoaderStringsAscend() {
    return std::adjacent_find(std::begin(kLoaderStrings), std::end(kLoaderStrings),
                              [](const StringResource& a, const StringResource& b) {
                                  return a.id >= b.id;
                              }) == std::end(kLoaderStrings);
}
static_assert(LoaderStringsAscend(), "the loader's string table must ascend by id");

// The text `id` of the loader's table; a null view when there is none.
constexpr std::string_view LoaderText(int id) {
    const auto* found = std::lower_bound(
        std::begin(kLoaderStrings), std::end(kLoaderStrings), id,
        [](const StringResource& r, int key) { return static_cast<int>(r.id) < key; });
    if (found == std::end(kLoaderStrings) || static_cast<int>(found->id) != id) return {};
    return found->text;
}

// Whether the table holds `id` and its text takes exactly the arguments Args.
template <class... Args>
constexpr bool MessageTakes(int id) {
    std::string_view text = LoaderText(id);
    return text.data() && FormatTakes<Args...>(text);
}

// Named in the compiler's message when a constant below is wrong; never defined.
void MessageIdIsNotInTheStringTableOrItsTextTakesOtherArguments();

template <class... Args>
class CMessage {
public:
    consteval explicit CMessage(int id) : id_(id) {
        if (!MessageTakes<Args...>(id))
            MessageIdIsNotInTheStringTableOrItsTextTakesOtherArguments();
    }
    constexpr int Id() const { return id_; }

private:
    int id_;
};

// The banner, the usage text in the order it is printed, the prompt.
inline constexpr CMessage<> kMsgLoaderBanner{32016};
inline constexpr CMessage<const char*> kMsgSyntaxForVersion{32001};
inline constexpr CMessage<> kMsgUsageInputType{32020};
inline constexpr CMessage<> kMsgUsageKif{32021};
inline constexpr CMessage<> kMsgUsageCoordSys{32022};
inline constexpr CMessage<> kMsgUsageNoCsMetadata{32046};
inline constexpr CMessage<> kMsgUsageCoordPrec{32023};
inline constexpr CMessage<> kMsgUsageMaxPoints{32024};
inline constexpr CMessage<> kMsgUsageType{32025};
inline constexpr CMessage<> kMsgUsageGeneralize{32026};
inline constexpr CMessage<> kMsgUsageNullName{32027};
inline constexpr CMessage<> kMsgUsageNoTest{32028};
inline constexpr CMessage<> kMsgUsageNoExt{32041};
inline constexpr CMessage<> kMsgUsageWriteAction{32029};
inline constexpr CMessage<> kMsgUsageFile{32045};
inline constexpr CMessage<> kMsgUsageInfo{32031};
inline constexpr CMessage<> kMsgUsageLayer{32030};
inline constexpr CMessage<> kMsgUsageKey{32033};
inline constexpr CMessage<> kMsgUsageName{32034};
inline constexpr CMessage<> kMsgUsageLink{32035};
inline constexpr CMessage<> kMsgUsageTable{32044};
inline constexpr CMessage<> kMsgUsageBlocks{32043};
inline constexpr CMessage<> kMsgUsagePl2Pg{32042};
inline constexpr CMessage<> kMsgUsageCsvType{32036};
inline constexpr CMessage<> kMsgUsageLabels{32038};
inline constexpr CMessage<> kMsgUsageHoles{32039};
inline constexpr CMessage<> kMsgUsageDecodeBlocks{32037};
inline constexpr CMessage<> kMsgUsageIns{32032};
inline constexpr CMessage<> kMsgUsageParameters{32040};
inline constexpr CMessage<const char*> kMsgFileAlreadyExists{32005};
inline constexpr CMessage<> kMsgOverwriteAppendQuit{32004};

// The run's progress and summary.
inline constexpr CMessage<> kMsgProcessing{32006};
inline constexpr CMessage<> kMsgRetrievingFileInfo{50079};
inline constexpr CMessage<> kMsgInitializingReader{50077};
inline constexpr CMessage<> kMsgInitializingConverter{50089};
inline constexpr CMessage<> kMsgInitializingWriter{50078};
inline constexpr CMessage<const char*> kMsgInputCoordSys{50095};
inline constexpr CMessage<const char*> kMsgOutputCoordSys{50096};
inline constexpr CMessage<double> kMsgGeneralizing{50068};
inline constexpr CMessage<long, long, long, long, long, long, long> kMsgObjectsWritten{32015};
inline constexpr CMessage<double> kMsgProcessingTime{50091};
inline constexpr CMessage<> kMsgAbortingProcessing{50092};
inline constexpr CMessage<> kMsgOperatorNewFailed{39002};
inline constexpr CMessage<> kMsgDuplicateFileName{39003};
inline constexpr CMessage<> kMsgInvalidInputFileType{39006};
// Why a file's coordinate-system metadata cannot be read or written (the WKT
// status's text, or the projection without a WKT form); printed before the
// status message.
inline constexpr CMessage<const char*> kMsgCoordSysMetadataUnusable{50131};
inline constexpr CMessage<const char*, const char*> kMsgCoordSysHasNoWkt{50132};

// /INFO.
inline constexpr CMessage<const char*> kMsgFileDescription{50080};
inline constexpr CMessage<const char*> kMsgFileVersion{50081};
inline constexpr CMessage<long> kMsgFeatureCount{50075};
inline constexpr CMessage<int> kMsgCoordinatePrecision{50076};
inline constexpr CMessage<const char*> kMsgCoordSysKey{50090};
inline constexpr CMessage<> kMsgListingTables{50053};
inline constexpr CMessage<> kMsgNoTables{50054};
inline constexpr CMessage<int, const char*> kMsgTableEntry{50070};
inline constexpr CMessage<> kMsgListingColumns{50058};
inline constexpr CMessage<int, const char*, const char*> kMsgColumnEntry{50051};
inline constexpr CMessage<> kMsgListingLayers{50052};
inline constexpr CMessage<> kMsgNoLayers{50067};
inline constexpr CMessage<int, const char*> kMsgLayerEntry{50056};
inline constexpr CMessage<> kMsgListingBlocks{50072};
inline constexpr CMessage<> kMsgNoBlocks{50074};
inline constexpr CMessage<int, const char*> kMsgBlockEntry{50073};
inline constexpr CMessage<> kMsgListingSifInfo{50088};
inline constexpr CMessage<const char*> kMsgSifDescription{50083};
inline constexpr CMessage<const char*> kMsgSifVersion{50082};
inline constexpr CMessage<int> kMsgSifFeatureCount{50087};
inline constexpr CMessage<int> kMsgSifPrecision{50085};
// Each extent value follows its count of decimals.
inline constexpr CMessage<int, double, int, double, int, double, int, double> kMsgSifExtents{50084};
inline constexpr CMessage<int, int> kMsgSifEntriesPerNode{50086};

// Warnings.
inline constexpr CMessage<const char*> kMsgIgnoringInvalidSwitch{50102};
inline constexpr CMessage<const char*, const char*> kMsgInvalidSwitchUsingDefault{50101};
inline constexpr CMessage<> kMsgCoordinatesOutOfLatLongRange{39005};
inline constexpr CMessage<const char*, const char*> kMsgArbitraryXyInput{50099};
inline constexpr CMessage<const char*, const char*, const char*> kMsgLatLongDatumsDiffer{50034};
inline constexpr CMessage<const char*> kMsgCoordinatesFolded{50103};
inline constexpr CMessage<const char*> kMsgCoordinatesOutsideUsefulRange{50130};
inline constexpr CMessage<> kMsgUnicodeSubstituted{50035};
inline constexpr CMessage<> kMsgReducingPointCount{50032};
inline constexpr CMessage<const char*, const char*> kMsgTooFewPoints{50039};
inline constexpr CMessage<const char*, const char*> kMsgSectionTooFewPoints{50040};
inline constexpr CMessage<const char*> kMsgTableDataNotAvailable{50100};
inline constexpr CMessage<const char*, const char*, const char*> kMsgInputCoordSysOverridden{50030};
inline constexpr CMessage<> kMsgOutputMetadataKept{50036};
inline constexpr CMessage<const char*, const char*, const char*> kMsgUnsupportedEntity{50098};
inline constexpr CMessage<> kMsgOutputFileHasNoMetadata{50037};
inline constexpr CMessage<const char*, const char*, const char*> kMsgOutputLatLongDatumsDiffer{
    50038};
inline constexpr CMessage<int, int, int, int> kMsgSpatialIndexLimitsKept{50110};
inline constexpr CMessage<int, int> kMsgKeyLengthKept{50111};
inline constexpr CMessage<int, int> kMsgNodeCapacityKept{50112};
inline constexpr CMessage<const char*, const char*> kMsgInteriorRingsNotWritten{50113};
inline constexpr CMessage<const char*, const char*> kMsgObjectTooLargeSkipped{50114};
inline constexpr CMessage<const char*, const char*> kMsgObjectNotFiniteSkipped{50115};
inline constexpr CMessage<> kMsgZmValuesDropped{50133};
inline constexpr CMessage<long, const char*> kMsgUnsupportedObjectsSkipped{50134};

// Texts written into files.
inline constexpr CMessage<> kMsgDefaultDescription{32007};
inline constexpr CMessage<> kMsgWltHeaderComment{50097};
inline constexpr CMessage<const char*> kMsgInsertInto{50012};
inline constexpr CMessage<const char*> kMsgStyleTableNameTaken{50104};

// Style table and column names.
inline constexpr CMessage<> kMsgSymbolStyleTable{44063};
inline constexpr CMessage<> kMsgTextStyleTable{44064};
inline constexpr CMessage<> kMsgPolylineStyleTable{44065};
inline constexpr CMessage<> kMsgPolygonStyleTable{44066};
inline constexpr CMessage<> kMsgOriginalKeyColumn{44067};
inline constexpr CMessage<> kMsgNameColumn{44068};
inline constexpr CMessage<> kMsgLayerColumn{44069};
inline constexpr CMessage<> kMsgFillColorColumn{44070};
inline constexpr CMessage<> kMsgFillStyleColumn{44071};
inline constexpr CMessage<> kMsgEdgeColorColumn{44072};
inline constexpr CMessage<> kMsgEdgeStyleColumn{44073};
inline constexpr CMessage<> kMsgEdgeWidthColumn{44074};
inline constexpr CMessage<> kMsgLineColorColumn{44075};
inline constexpr CMessage<> kMsgLineStyleColumn{44076};
inline constexpr CMessage<> kMsgLineWidthColumn{44077};
inline constexpr CMessage<> kMsgPointColorColumn{44078};
inline constexpr CMessage<> kMsgSymbolNameColumn{44079};
inline constexpr CMessage<> kMsgSymbolRotationColumn{44080};
inline constexpr CMessage<> kMsgSymbolWidthColumn{44081};
inline constexpr CMessage<> kMsgSymbolHeightColumn{44082};
inline constexpr CMessage<> kMsgTextContentColumn{44085};
inline constexpr CMessage<> kMsgTextColorColumn{44086};
inline constexpr CMessage<> kMsgTextHorzAlignColumn{44087};
inline constexpr CMessage<> kMsgTextVertAlignColumn{44088};
inline constexpr CMessage<> kMsgTextRotationColumn{44089};
inline constexpr CMessage<> kMsgTextHeightColumn{44090};

// Status messages. The families of the native format, the indexes and the
// command line follow their statuses from the first message named here; the
// stored arguments are appended to the texts without conversions and fill the
// "%s" of the others.
inline constexpr CMessage<> kMsgUnableToOpenFile{40000};
inline constexpr CMessage<> kMsgReadError{40002};
inline constexpr CMessage<> kMsgUnableToFindInputFile{40017};
inline constexpr CMessage<> kMsgHaltingProcessing{40022};
inline constexpr CMessage<> kMsgInfoNotApplicable{40024};
inline constexpr CMessage<> kMsgBadColumnOrTable{40026};
inline constexpr CMessage<const char*> kMsgCoordSysNotFound{40028};
inline constexpr CMessage<> kMsgCannotLoadData{40030};
inline constexpr CMessage<> kMsgLibraryNotFound{40032};
inline constexpr CMessage<> kMsgLibraryIncompatible{40033};
inline constexpr CMessage<> kMsg3dNotSupported{40034};
inline constexpr CMessage<> kMsgCoordSysMismatch{40035};
inline constexpr CMessage<const char*> kMsgInputReadError{40036};
inline constexpr CMessage<const char*> kMsgWltMetadataReadError{40037};
inline constexpr CMessage<const char*, const char*, const char*> kMsgOutputCoordSysMismatch{40038};
inline constexpr CMessage<const char*> kMsgWlxMetadataReadError{40039};
inline constexpr CMessage<const char*> kMsgWltMetadataWriteError{40040};
inline constexpr CMessage<> kMsgWltPointCountError{40041};
inline constexpr CMessage<const char*> kMsgDwgOpenFailed{40042};
inline constexpr CMessage<> kMsgUnableToOpenSif{41024};
inline constexpr CMessage<> kMsgUnableToOpenKif{42040};
inline constexpr CMessage<> kMsgInvalidKifFormat{42041};
inline constexpr CMessage<> kMsgInvalidFilterArea{43058};
inline constexpr CMessage<> kMsgInvalidCommandLineParameter{43061};
inline constexpr CMessage<> kMsgInvalidSwitch{43062};
inline constexpr CMessage<const char*, const char*> kMsgWrongExtension{43063};
inline constexpr CMessage<> kMsgComUnavailable{43064};
inline constexpr CMessage<const char*> kMsgReadAccessDenied{43065};
inline constexpr CMessage<> kMsgOutputExists{43066};
inline constexpr CMessage<> kMsgFailedWithErrorCode{44062};
