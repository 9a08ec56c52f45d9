#pragma once

namespace tv {

// Readies the process for the web views; call before the QApplication is
// made. The views draw in software: a view composed through OpenGL would
// have the whole main window composed that way, so every repaint of the
// list would upload the window and draw it again through the GL driver
// (a software rasteriser on machines without one), and loading that driver
// alone delays the start by a good part of a second.
void PrepareWebEngine();

}  // namespace tv
