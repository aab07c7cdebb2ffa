#pragma once

#include <string_view>

// The names of the persisted settings and the defaults of those whose default is fixed.
// "Last Path" defaults to the program's own folder, known only at start-up.
namespace tremolex::settingnames {

inline constexpr std::string_view kLastPath = "Last Path";
inline constexpr std::string_view kWindowLeft = "Window Left";
inline constexpr std::string_view kWindowTop = "Window Top";
inline constexpr std::string_view kWindowWidth = "Window Width";
inline constexpr std::string_view kWindowHeight = "Window Height";
inline constexpr std::string_view kRange = "Range";
inline constexpr std::string_view kPortNumber = "Serial Port Number";
inline constexpr std::string_view kBaudRate = "Serial Port Baud Rate";
// The file name of the recording under way; empty once it has ended as it should.
inline constexpr std::string_view kOpenRecording = "Open Recording";

inline constexpr std::string_view kWindowLeftDefault = "4000";
inline constexpr std::string_view kWindowTopDefault = "3000";
inline constexpr std::string_view kWindowWidthDefault = "8000";
inline constexpr std::string_view kWindowHeightDefault = "8000";
inline constexpr std::string_view kRangeDefault = "0.6";
inline constexpr std::string_view kPortNumberDefault = "2";
inline constexpr std::string_view kBaudRateDefault = "19200";

}  // namespace tremolex::settingnames
