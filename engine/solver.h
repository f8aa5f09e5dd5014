// The segmentation engine's one entry point: a label for every pixel of a line-art image.
//
//   std::vector<unsigned char> grey(w * h);   // line art over white: 255 paper, 0 ink
//   std::vector<int> scribbles(w * h, -1);    // -1, or the label 0 .. labelCount - 1
//   std::vector<int> labels(w * h);           // written completely, never -1
//   solverSolve(w, h, grey.data(), scribbles.data(), labelCount, labels.data());
//
// All three buffers belong to the caller, row after row without padding; the engine only
// reads grey and scribbles and keeps nothing after the call. A width or height below 1, or a
// null buffer, returns at once without touching anything. Running out of memory (also for an
// image too large for the solver's 32-bit node numbering) leaves as std::bad_alloc with all
// of the engine's own memory released; labels may then be partly written.
#pragma once

void solverSolve(int width, int height, const unsigned char* grey, const int* scribbles,
                 int labelCount, int* labels);
