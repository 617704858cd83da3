#pragma once

// Where the window's controls were drawn, in twips (15 to a pixel at 96 dots per inch), and the
// size of its client area: the one table the window lays itself out by, and that the tests which
// find a control by its place (the layout test, the program used through its window on Linux and
// under wine) read too. No Qt here, so that a test of the Windows program can include it alone.

namespace quervelle::design {

inline constexpr int TwipsPerPixel = 15;

struct Place {
    int left, top, width, height; // twips
};

inline constexpr int ClientWidth = 6915;
inline constexpr int ClientHeight = 3930;

inline constexpr Place Dir1{240, 960, 2415, 2340};
inline constexpr Place File1{3000, 960, 2175, 1845};
inline constexpr Place Drive1{3000, 3000, 2175, 315};
inline constexpr Place Text1{1560, 240, 2415, 375};
inline constexpr Place Command1{5640, 240, 1095, 375}; // Fermer
inline constexpr Place Command2{4080, 240, 495, 375};  // OK
inline constexpr Place Label1{480, 315, 975, 255};     // Fichier:
inline constexpr Place Text2{1080, 3550, 1575, 285};
inline constexpr Place Label2{120, 3600, 975, 255}; // A été créé le:
inline constexpr Place Text3{3480, 3550, 1695, 285};
inline constexpr Place Label3{3000, 3600, 495, 255};    // Taille:
inline constexpr Place Command3{5640, 2040, 1095, 375}; // Kill
inline constexpr Place Command4{5640, 840, 1095, 375};  // Créer dossier
inline constexpr Place Command5{5640, 2640, 1095, 375}; // Exécuter
inline constexpr Place Command6{5640, 1440, 1095, 375}; // RmDir

// Twips to pixels at 96 dots per inch, to the nearest pixel (3550 twips is 236.67 pixels).
constexpr int pixels(int twips) {
    return (2 * twips + TwipsPerPixel) / (2 * TwipsPerPixel);
}

} // namespace quervelle::design
