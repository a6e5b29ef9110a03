// The About window as a table: its caption, size and place, the boxes of the logo and the text, and the text
// itself, one paragraph a line.
#pragma once

namespace vr::about {

inline constexpr const char* kCaption = "About Vigilamp Rizu!";
inline constexpr int kLeft = 346, kTop = 285, kClientWidth = 673, kClientHeight = 227;

struct Box {
    int x, y, w, h;
};
inline constexpr Box kTitleBox{4, 4, 228, 20};     // lblAbout
inline constexpr Box kCloseBox{4, 200, 75, 25};    // btnClose
inline constexpr Box kLogoBox{220, 96, 453, 131};  // imgLogo: the picture, at its own size, is clipped to it
inline constexpr Box kTextBox{4, 24, 569, 135};    // rtfAbout

// The text is never wrapped. An empty paragraph is a blank line of its font.
enum TextFont { Times10, Times8, Arial8 };
struct Paragraph {
    TextFont font;
    const char* text;
};
inline constexpr Paragraph kText[] = {
    {Times10, ""},
    {Times10, ""},
    {Times10, "Thank you for downloading and using Vigilamp Rizu! I hope you enjoy it as much as I enjoyed "
              "writing it."},
    {Times10, ""},
    {Times8, "The system icons shown by this program are the property of Microsoft Corporation."},
    {Times8, "Vigilamp Rizu! and its maker are not affiliated with Microsoft Corporation in any way."},
    {Times10, ""},
    {Arial8, ""},
};

}  // namespace vr::about
