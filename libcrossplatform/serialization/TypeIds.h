#pragma once
// Type ids and current class versions of every framed class. These values are stored in files and sent to
// testers: they are frozen. The writer writes `version`; readers accept it and every lower one.
#include <cstdint>

namespace Marshal {

struct TypeInfo {
    uint16_t domain;
    uint16_t code;
    uint8_t version;
    constexpr uint32_t id() const { return (static_cast<uint32_t>(domain) << 16) | code; }
};

namespace TypeIds {
inline constexpr TypeInfo OtdrSpan{0x0041, 0x0015, 1};
inline constexpr TypeInfo ResultSummary{0x0051, 0x0001, 1};
inline constexpr TypeInfo EquipmentInformation{0x0051, 0x0003, 3};
inline constexpr TypeInfo InstrumentSettings{0x0051, 0x0004, 3};
inline constexpr TypeInfo DatabasePackageManifestSummary{0x0051, 0x0007, 1};
inline constexpr TypeInfo DatabaseVersion{0x0051, 0x0008, 1};
inline constexpr TypeInfo DatabasePackageManifest{0x0051, 0x0009, 1};
inline constexpr TypeInfo DatabaseDescriptorList{0x0051, 0x000A, 1};
inline constexpr TypeInfo FiberTestSummary{0x0061, 0x0102, 1};
inline constexpr TypeInfo FiberOtdrSettings{0x0061, 0x0200, 5};
inline constexpr TypeInfo FiberOtdrEventTable{0x0061, 0x0204, 2};
inline constexpr TypeInfo FiberOtdrOverallResults{0x0061, 0x0205, 4};
inline constexpr TypeInfo FiberOtdrPlots{0x0061, 0x0206, 3};
inline constexpr TypeInfo FiberOtdrRawData{0x0061, 0x0207, 1};
inline constexpr TypeInfo FiberOtdrTest{0x0061, 0x0208, 11};
inline constexpr TypeInfo FiberOtdrTestBody{0x0061, 0x0209, 11};
inline constexpr TypeInfo FiberLossLengthSettings{0x0061, 0x0400, 3};
inline constexpr TypeInfo FiberLossLengthTest{0x0061, 0x0403, 7};
inline constexpr TypeInfo FiberPowerMeterTest{0x0061, 0x0404, 2};
inline constexpr TypeInfo FiberImageTest{0x0061, 0x0500, 6};
inline constexpr TypeInfo FiberImage{0x0061, 0x0501, 1};
inline constexpr TypeInfo FiberImageTestBody{0x0061, 0x0502, 6};
inline constexpr TypeInfo FiberLimit{0x0061, 0x0601, 4};
inline constexpr TypeInfo Fiber{0x0061, 0x0701, 3};
// CopperTest and CopperTestBody share one id.
inline constexpr TypeInfo CopperTest{0x0071, 0x0202, 6};
inline constexpr TypeInfo CopperPlots{0x0071, 0x0203, 0};
inline constexpr TypeInfo CopperRawData{0x0071, 0x0204, 0};
inline constexpr TypeInfo CopperLimit{0x0071, 0x0205, 4};
inline constexpr TypeInfo CopperFreqList{0x0071, 0x0206, 0};
inline constexpr TypeInfo Wiremap{0x0071, 0x0207, 0};
inline constexpr TypeInfo CopperOutletConfig{0x0071, 0x0208, 0};
inline constexpr TypeInfo CopperCable{0x0071, 0x0211, 0};
inline constexpr TypeInfo DiagRes{0x0071, 0x0214, 0};
// FaultInfoCableElement, FaultInfoEvent and FaultInfoResult share one id.
inline constexpr TypeInfo FaultInfo{0x0071, 0x0215, 0};
// Project::Status and the trace buffer's ChannelTable share one id, with different versions.
inline constexpr TypeInfo ProjectStatus{0x0091, 0x0001, 3};
inline constexpr TypeInfo ChannelTable{0x0091, 0x0001, 1};
inline constexpr TypeInfo ProjectCursor{0x0091, 0x0002, 1};
inline constexpr TypeInfo ProjectCursorList{0x0091, 0x0003, 1};
inline constexpr TypeInfo ProjectOtdrTestSet{0x0091, 0x0004, 4};
inline constexpr TypeInfo ProjectTestSetList{0x0091, 0x0005, 2};
inline constexpr TypeInfo ProjectSequentialLabelSet{0x0091, 0x0006, 1};
inline constexpr TypeInfo ProjectAutoIncrementLabelSet{0x0091, 0x0007, 1};
inline constexpr TypeInfo ProjectRandomLabelSet{0x0091, 0x0008, 1};
inline constexpr TypeInfo ProjectLabelSetList{0x0091, 0x0009, 1};
inline constexpr TypeInfo ProjectCore{0x0091, 0x000A, 11};
inline constexpr TypeInfo ProjectCopperTestSet{0x0091, 0x000C, 2};
inline constexpr TypeInfo ProjectLossLengthTestSet{0x0091, 0x000E, 3};
inline constexpr TypeInfo ProjectImageTestSet{0x0091, 0x0010, 1};
}  // namespace TypeIds

}  // namespace Marshal
