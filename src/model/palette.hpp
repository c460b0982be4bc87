#pragma once
#include <array>
#include <cstdint>

namespace varnel::model {

// The fixed 16-colour drawing palette, as 0xRRGGBB.
inline constexpr std::array<std::uint32_t, 16> kPalette = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                                           0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                                           0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};

inline constexpr int kBlack = 0;
inline constexpr int kLightCyan = 11;
inline constexpr int kLightRed = 12;
inline constexpr int kLightMagenta = 13;
inline constexpr int kYellow = 14;

inline constexpr std::uint32_t paletteColour(int index) { return kPalette[static_cast<std::size_t>(index & 15)]; }

}  // namespace varnel::model
