#pragma once
// A parent "window" for hosts without a screen (offline tools, snapshot tests). When the
// environment variable TAV_KESTRO_HEADLESS_PARENT is "1" at effEditOpen, the plug-in takes
// the parent handle it receives as a pointer to a KestroHeadlessParent instead of a native
// window: the frame presents into the host's pixel buffer and reads its input from the
// host's event list. Plain C layout, so a host needs this header and nothing else.
//
// Same thread as every editor call: the host fills `events` between effEditIdle calls; at
// each idle the plug-in takes all of them in order and sets `eventCount` back to 0.

#include <cstdint>

extern "C" {

enum KestroHeadlessEventType : std::int32_t {
    kKestroHeadlessMouseDown = 1,
    kKestroHeadlessMouseUp = 2,
    kKestroHeadlessMouseMoved = 3,
    kKestroHeadlessMouseExited = 4,
    kKestroHeadlessWheel = 5,
};

struct KestroHeadlessEvent {
    std::int32_t type;
    std::int32_t x; // window pixels
    std::int32_t y;
    std::uint32_t buttons; // CButtonState bits: 1 left, 2 middle, 4 right, 8 Shift, 16 Control, 32 Alt
    float distance;        // wheel notches, up positive
    std::uint32_t timeMs;  // any monotonic clock; presses close in time make double-clicks
};

inline constexpr std::uint32_t kKestroHeadlessMagic = 0x48564154u; // "TAVH" in memory order
inline constexpr std::uint32_t kKestroHeadlessVersion = 1;
inline constexpr int kKestroHeadlessMaxEvents = 64;

struct KestroHeadlessParent {
    std::uint32_t magic;   // kKestroHeadlessMagic
    std::uint32_t version; // kKestroHeadlessVersion
    std::uint8_t* pixels;  // premultiplied RGBA8, the host's, at least stride * height bytes
    std::int32_t width;    // the editor's size from effEditGetRect
    std::int32_t height;
    std::int32_t stride;   // bytes from one row to the next
    std::int32_t eventCount;
    KestroHeadlessEvent events[kKestroHeadlessMaxEvents];
};

} // extern "C"

namespace kestro {
inline constexpr const char* kHeadlessParentVariable = "TAV_KESTRO_HEADLESS_PARENT";
}
