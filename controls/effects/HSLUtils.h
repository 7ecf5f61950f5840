// HSLUtils: conversion between RGB colours and hue, saturation and lightness.
//
// The plain forms use doubles in 0..1. The range forms use integers on the scale of
// HSLRange (240) for saturation and lightness, and HSLRange - 1 (239) for the hue, as the
// colours stored by the flat controls were computed that way.
#pragma once
#include "classlib/graphics/Colors.h"

inline constexpr int HSLRange = 240;

// Hue, saturation and lightness of the colour's low three bytes (a system colour is not
// resolved). Grey gives hue 0 and saturation 0.
void RGBToHSL(TColor color, double& h, double& s, double& l);
// The colour of hue, saturation and lightness; each channel is Round(255 × v), halves to
// even, clamped to 0..255.
TColor HSLToRGB(double h, double s, double l);

// RGBToHSL scaled: h = Round(H × 239), s = Round(S × 240), l = Round(L × 240).
void RGBToHSLRange(TColor color, int& h, int& s, int& l);
// HSLToRGB of h / 239, s / 240, l / 240.
TColor HSLRangeToRGB(int h, int s, int l);
