// Scaling integers as the system's MulDiv does, so that layouts computed here match the system's.
#pragma once

// number * numerator / denominator with the product in 64 bits, rounded to the nearest integer,
// halves away from zero. -1 when denominator is 0 or the result does not fit.
int MulDivRound(int number, int numerator, int denominator) noexcept;
