#pragma once
// The line that opens each block in a program file, ";BLOCK " and the block's number. The
// program file reader and writer and the command-line tool's printed sections all use it,
// so a file the tool prints reads back as the same blocks.

#include <string>
#include <string_view>

#include "common/number_text.hpp"

namespace q41 {

inline constexpr std::string_view BlockMarkerPrefix = ";BLOCK ";

inline std::string BlockMarker(int block) {
  return std::string(BlockMarkerPrefix) + DecimalText(block);
}

// The settings lines a block's marker is followed by: the CPU alone or the PPU list, and the
// load addresses.
inline constexpr std::string_view CpuSettingLine = ";CPU";
inline constexpr std::string_view PpuSettingPrefix = ";PPU=";
inline constexpr std::string_view CpuAddressPrefix = ";CPUaddr=";
inline constexpr std::string_view PpuAddressPrefix = ";PPUaddr=";

// What a block is called on its tab, in a printout and in an editor's outline.
inline std::string BlockCaption(int block) {
  return "BLOCK " + DecimalText(block);
}

}  // namespace q41
