#pragma once

class QApplication;
class QPalette;

// SITEKANRI_COLOUR_SCHEME=dark: light text on dark ground for the whole window (the Fusion
// style with a dark palette), for those who need high contrast or work in a dark room. The
// window draws every text and frame from the palette, so nothing stays light.
void ApplyColourScheme(QApplication &application);

// The colours of the dark scheme.
QPalette DarkPalette();
