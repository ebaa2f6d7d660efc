#pragma once

// Designs give positions and sizes in twips; 15 twips are one device-independent pixel.
constexpr int kTwipsPerPixel = 15;

constexpr int px(int twips) {
    return twips / kTwipsPerPixel;
}
constexpr int twips(int pixels) {
    return pixels * kTwipsPerPixel;
}
