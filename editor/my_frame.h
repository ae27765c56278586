#pragma once
// The window's frame. It adds nothing to the toolkit frame; it exists so the window has a
// type of its own should it ever need one.

#include "toolkit/cframe.h"

namespace kestro {

class MyFrame : public CFrame {
public:
    using CFrame::CFrame;
};

} // namespace kestro
