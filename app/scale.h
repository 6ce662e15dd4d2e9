#pragma once
// Every length in the window is given at 96 DPI and passes through this.
// Same result as MulDiv(v, dpi, 96): rounded to nearest, halves away from zero.
int scale_for_dpi(int v, unsigned dpi);
