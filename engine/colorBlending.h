// solveColorBlending: smooths an image of 4-byte pixels in place, guided by a grey image.
//
//   solveColorBlending(width, height, grey, pixels);
//
// grey: width * height bytes, 0 = black line, 255 = white paper. pixels: width * height
// pixels of 4 bytes, the four channels treated alike; read at the start and overwritten
// only at the end. White pixels keep their colours; darker pixels take a weighted mean of
// their neighbours' colours, a neighbour across a strong grey step counting little, pulled
// towards their own input colour in proportion to their lightness (64 Jacobi sweeps).
//
// A pixel with neither neighbours nor lightness (a lone black pixel) keeps its colour. An
// empty image writes nothing. A failed allocation throws std::bad_alloc and leaves pixels
// unchanged. Holds no reference to either buffer after the call.
#pragma once

void solveColorBlending(int width, int height, unsigned char* grey, unsigned char* pixels);
