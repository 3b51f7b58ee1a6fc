// Numbers of the messages the LandXML reader writes to the console or uses as
// the titles of its choice lists (texts and templates: messages/README.md).
// Constants only.
#pragma once

namespace corvalinde::landxml_message {

inline constexpr int kNulByte = 83;              // template: line, column
inline constexpr int kQuoteNotClosed = 84;       // template: line, column
inline constexpr int kEndTagClosesNothing = 85;  // template: line, column
inline constexpr int kSectionNotClosed = 86;     // template: line, column
inline constexpr int kMalformedTag = 87;         // template: line, column
inline constexpr int kNoElement = 88;
inline constexpr int kNotLandXml = 89;  // template: name of the root element
inline constexpr int kNoUnits = 90;
inline constexpr int kNoAlignments = 91;
inline constexpr int kNoMemory = 92;
inline constexpr int kFirstZoneUnreadable = 94;
inline constexpr int kNothingRead = 9;       // template: file name
inline constexpr int kReading = 55;          // template: file name (heading line)
inline constexpr int kStationEquation = 62;  // template: internal station, back station (text), ahead station
inline constexpr int kStationEquationDecreasing = 63;  // the same, stations decreasing after it
inline constexpr int kStationEquationUnreadable = 64;  // template: equation number
inline constexpr int kStationBackDiffers = 66;         // template: number, back, station reached
inline constexpr int kSpiralWithoutLength = 60;        // template: element type, station, chord
inline constexpr int kRadiusUnusable = 61;             // template: element type, station, radius
inline constexpr int kReadingEnded = 123;              // heading line
inline constexpr int kPlanCount = 141;                 // template: number of plan elements
inline constexpr int kNotRead = 142;                   // template: element name, count
inline constexpr int kPlanDiscarded = 143;
inline constexpr int kAlignmentChoice = 144;  // choice-list title
inline constexpr int kAlignmentChosen = 145;  // template: alignment name
inline constexpr int kPlanUnsupported = 146;  // template: element type, station
inline constexpr int kSpiralAsArc = 147;      // template: station
inline constexpr int kSpiralAsLine = 148;     // template: station
inline constexpr int kPlanUnreadable = 149;   // template: element type, station
inline constexpr int kProfileCount = 211;     // template: number of profile elements
inline constexpr int kProfileDiscarded = 213;
inline constexpr int kProfileChoice = 214;       // choice-list title
inline constexpr int kProfileChosen = 215;       // template: profile name
inline constexpr int kCurveConverted = 216;      // template: element type, count
inline constexpr int kProfileUnsupported = 217;  // template: element type, station
inline constexpr int kProfileUnreadable = 218;   // template: element type, station
inline constexpr int kCrossfallCount = 281;      // template: number of intervals
inline constexpr int kCrossfallCut = 282;        // template: station
inline constexpr int kCrossfallDiscarded = 283;
inline constexpr int kSurfaceChoice = 284;        // choice-list title
inline constexpr int kCrossfallGapBridged = 285;  // template: gap start, gap end

}  // namespace corvalinde::landxml_message
