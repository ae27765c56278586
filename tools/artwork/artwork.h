#pragma once
// The pieces of the artwork, one function per bitmap (or family of bitmaps). Controls
// that sit at one fixed place draw over a copy of the background under them, so they are
// opaque and look the same whether or not the toolkit repaints the background first;
// shared bitmaps (the knob, the rocker) are opaque where they draw and fully transparent
// elsewhere, never half transparent.

#include "canvas.h"

namespace artwork {

// Colours shared by every bitmap.
namespace palette {
inline constexpr Rgb kPanel = rgb(0x24211e);       // brushed dark metal
inline constexpr Rgb kPlate = rgb(0x2f2b27);       // raised section plates
inline constexpr Rgb kSeam = rgb(0x0d0c0b);        // gaps between plates, engraving
inline constexpr Rgb kBevelLight = rgb(0x5a534b);  // lit edges
inline constexpr Rgb kLabel = rgb(0xece2cb);       // cream control labels
inline constexpr Rgb kLabelDim = rgb(0x9f9582);
inline constexpr Rgb kTitle = rgb(0xe2a54e);  // amber section titles
inline constexpr Rgb kWell = rgb(0x0b0a09);   // value display wells
inline constexpr Rgb kIvory = rgb(0xf3e9d2);
inline constexpr Rgb kSteel = rgb(0x8c8983);
inline constexpr Rgb kAmberLamp = rgb(0xffae3a);
inline constexpr Rgb kRedLamp = rgb(0xff4026);
inline constexpr Rgb kSaveRed = rgb(0xa3352b);
inline constexpr Rgb kLoadGreen = rgb(0x3b7c3c);
inline constexpr Rgb kNameField = rgb(0xe4d9bf);  // cream window under the dark program name
}  // namespace palette

// Parts several bitmaps share.
// Paints the background under a control placed at `where` into the current frame.
void pasteBackground(cairo_t* cr, const Image& background, Rect where);
// A round indicator lamp behind a lens, glowing when on.
void drawLed(cairo_t* cr, double cx, double cy, double r, Rgb lit, bool on);
// A slotted screw head, its slot at the given slant.
void drawScrew(cairo_t* cr, double x, double y, double slant);
// The drum's face: a wooden baffle with a slatted opening, curving away at the ends.
void drawDrumFace(cairo_t* cr, Rect body, Rect port, double radius, std::uint32_t seed);

// A rounded panel standing out of the surface: its shadow, then a vertical gradient face.
void drawRaisedPanel(cairo_t* cr, Rect r, double radius, Rgb top, Rgb bottom, double shadowAlpha);
// "TAV Kestro": the maker in amber capitals, the name in cream italics, centred on cx.
void drawProductName(cairo_t* cr, double cx, double baseline, double size);

// 4000: the window background with every label.
void drawBackground(Image& background);

// 2002: the knob filmstrip, and its socket (shared with the background).
void drawKnobSocket(cairo_t* cr, double cx, double cy);
void drawKnobStrip(Image& strip);

// 2005: the speed lever over its part of the background; its plate is in the background.
void drawLeverPlate(cairo_t* cr, Rect lever);
void drawLeverStrip(Image& strip, const Image& background);

// 2003, 2004: the stop and speed buttons.
void drawStopButton(Image& strip, const Image& background);
void drawSpeedButton(Image& strip, const Image& background);

// 2008, 2013: rotor strips; 2009, 2010: their markers.
void drawHornStrip(Image& strip);
void drawHornMarker(Image& marker);
void drawDrumStrip(Image& strip);
void drawDrumMarker(Image& marker);

// Bottom row: 19997 rocker, 4005 MIDI channel, 4001 bypass, 4002 CPU mode, 4003/4004 lamps.
void drawRocker(Image& strip);
void drawMidiChannelDisplay(Image& strip);
void drawBypassSwitch(Image& strip, const Image& background);
void drawCpuModeSwitch(Image& strip, const Image& background);
void drawLamp(Image& strip, const Image& background, Rect where, const char* text);

// Preset panel: arrows, the two label buttons and the manual button.
enum class ArrowKind { Save, Load };
void drawArrowButton(Image& strip, const Image& background, Rect where, ArrowKind kind);
void drawLabelButton(Image& strip, const Image& background, Rect where, const char* text);
void drawManualButton(Image& strip, const Image& background, Rect where);
// The word of a label button as the background shows it.
void drawPanelWord(cairo_t* cr, Rect where, const char* text, Rgb colour);

// 3999: the about screen.
void drawAbout(Image& about);

}  // namespace artwork
