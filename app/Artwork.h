#pragma once
// The program's pictures, drawn in code so no image files need shipping: the
// toolbar strip, the side-button glyphs and the about picture.

#include <QIcon>
#include <QPixmap>

namespace larkspur {

enum class ToolbarImage {
    New = 0,
    Open = 1,
    Save = 2,
    Listening = 3,
    NotListening = 4,
    Tray = 5,
};

enum class SideGlyph { VoiceCommands, SystemSettings, UserSettings };

namespace Artwork {

inline constexpr int kToolbarImageSize = 16;
inline constexpr int kToolbarImageCount = 6;
inline constexpr int kAboutWidth = 264;
inline constexpr int kAboutHeight = 84;
inline constexpr int kGlyphSize = 32;

// One image of the toolbar strip, 16 x 16.
QPixmap toolbarImage(int index);
QIcon toolbarIcon(ToolbarImage image);
QPixmap sideGlyph(SideGlyph glyph);
// Image 0 of the about list, 264 x 84.
QPixmap aboutImage();
// The window icon.
QIcon applicationIcon();

} // namespace Artwork

} // namespace larkspur
